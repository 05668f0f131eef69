// The document record: its name and modified flag, the two ways the picture is replaced, and the listener
// record through which the document tells the windows what changed. The document knows no window, tool or
// file format.
#pragma once
#include <string>

#include "document/canvas_image.h"

// UI thread only; written only through the functions below.
struct DocumentState {
    std::string path; // UTF-8, full path; empty for an untitled picture
    bool modified = false;
};
extern DocumentState g_document;

// Filled once at start-up by the shell and the canvas; a null entry is simply not called.
struct DocumentListener {
    void (*titleChanged)() = nullptr;
    // The picture has another size; a new document (New, a load) also fits the window to it.
    void (*pictureSizeChanged)(bool newDocument) = nullptr;
    // Zoom or scroll offsets changed (every zoom path and every ClampScroll).
    void (*viewChanged)(bool zoomChanged) = nullptr;
    // The picture's pixels were replaced or restored and must be shown.
    void (*pictureReplaced)() = nullptr;
    // A file became the document's by a load or a save (the recent-files list).
    void (*fileUsed)(const std::wstring& fullPath) = nullptr;
    // Whether something floats above the picture that an undo level must hold stamped, and the stamping of it
    // into a copy of the picture.
    bool (*floatingPresent)() = nullptr;
    void (*composeFloating)(const PixelView& picture) = nullptr;
    // Forgets pending edits without stamping them: a new document, an undone or redone level.
    void (*dropPendingEdits)() = nullptr;
};
extern DocumentListener g_documentListener;

void MarkDocumentModified();
// A save wrote fullPath: it becomes the document's path and the changes count as saved.
void SetDocumentSaved(const std::wstring& fullPath);
// The user is leaving the picture without saving it (the window closes).
void ForgetDocumentChanges();

// New and a successful load: surface (made by MakeCanvasSurface, owned from now on) becomes the picture, the
// history is cleared, the path set (empty: untitled), modified cleared, pending edits dropped, the window fitted.
void StartDocument(CanvasImage surface, const std::wstring& fullPath);
// Every size change that keeps the document (Undo or Redo across a size, the grips, ...): surface becomes the
// picture, the history is kept and the document modified. The caller records its undo level first.
void ReplacePicture(CanvasImage surface);

// The view announcements, sent by the view itself.
void AnnounceViewChanged(bool zoomChanged);
void AnnouncePictureReplaced();
