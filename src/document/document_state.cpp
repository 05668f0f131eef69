#include "document/document_state.h"

#include "base/text_convert.h"
#include "base/ui_thread.h"
#include "document/undo_history.h"
#include "document/view_state.h"

DocumentState g_document;
DocumentListener g_documentListener;

static void AnnounceTitle() {
    if (g_documentListener.titleChanged) g_documentListener.titleChanged();
}

static void AnnounceFileUsed(const std::wstring& fullPath) {
    if (!fullPath.empty() && g_documentListener.fileUsed) g_documentListener.fileUsed(fullPath);
}

void MarkDocumentModified() {
    AssertUiThread();
    g_document.modified = true;
    AnnounceTitle();
}

void SetDocumentSaved(const std::wstring& fullPath) {
    AssertUiThread();
    g_document.path = WideToUtf8(fullPath);
    g_document.modified = false;
    AnnounceTitle();
    AnnounceFileUsed(fullPath);
}

void ForgetDocumentChanges() {
    AssertUiThread();
    g_document.modified = false;
}

void StartDocument(CanvasImage surface, const std::wstring& fullPath) {
    AssertUiThread();
    InstallCanvasSurface(surface);
    ClearUndoStack();
    ClearRedoStack();
    if (g_documentListener.dropPendingEdits) g_documentListener.dropPendingEdits();
    g_document.path = WideToUtf8(fullPath);
    g_document.modified = false;
    ClampZoom();
    AnnounceTitle();
    if (g_documentListener.pictureSizeChanged) g_documentListener.pictureSizeChanged(true);
    ClampScroll();
    AnnouncePictureReplaced();
    AnnounceFileUsed(fullPath);
}

void ReplacePicture(CanvasImage surface) {
    AssertUiThread();
    InstallCanvasSurface(surface);
    g_document.modified = true;
    ClampZoom();
    AnnounceTitle();
    if (g_documentListener.pictureSizeChanged) g_documentListener.pictureSizeChanged(false);
    ClampScroll();
    AnnouncePictureReplaced();
}

void AnnounceViewChanged(bool zoomChanged) {
    if (g_documentListener.viewChanged) g_documentListener.viewChanged(zoomChanged);
}

void AnnouncePictureReplaced() {
    if (g_documentListener.pictureReplaced) g_documentListener.pictureReplaced();
}
