#include "info/shortcuts_text_core.h"

namespace {

enum class Kind { Heading, Row, SubRow, FreeText, Blank };
struct Line {
    Kind kind;
    const char* key; // Row only
    const char* text;
};

constexpr Line R(const char* key, const char* text) { return {Kind::Row, key, text}; }
constexpr Line Sub(const char* text) { return {Kind::SubRow, nullptr, text}; }
constexpr Line Head(const char* text) { return {Kind::Heading, nullptr, text}; }
constexpr Line Free(const char* text) { return {Kind::FreeText, nullptr, text}; }
constexpr Line kBlank = {Kind::Blank, nullptr, ""};

// After the banner. Descriptions say what each key does in this program.
constexpr Line kLines[] = {
    Head("Tool Shortcuts (English & Korean input supported)"),
    R("R", "Rectangle Tool"),
    R("S", "Rectangular Select Tool"),
    R("F", "Free-Form Select Tool"),
    R("W", "Tumo Fuzzy Select (Magic Wand)"),
    R("E", "Eraser / Color Eraser Tool"),
    R("G", "Fill With Color (Flood Fill)"),
    R("I / K", "Pick Color (Eyedropper)"),
    R("Z / M", "Magnifier"),
    R("P", "Pencil / Calvore Path Tool Toggle"),
    R("Shift+P", "Calvore Path / Pen Tool"),
    R("B", "Brush / Ink Pen Tool"),
    R("A", "Airbrush Tool"),
    R("T", "Text Tool"),
    R("L", "Line / Arrow Tool"),
    R("C / V", "Curve Tool"),
    R("Y", "Polygon Tool"),
    R("O", "Ellipse Tool"),
    R("U", "Rounded Rectangle Tool"),
    R("1 ~ 5", "Line / Pencil Width (1px ~ 5px)"),
    R("[ / ]", "Decrease / Increase Tool Thickness (1 ~ 500 px, Shift: +-5px)"),
    R("Ctrl+Shift+W", "Custom Thickness Dialog"),
    R("Ctrl+1 / Ctrl+2 / Ctrl+3", "Tool Options (Sub-option shortcuts):"),
    Sub("- Shapes (Rect/Ellipse):  Outline (Ctrl+1) / Outline + Fill (Ctrl+2) / Solid Fill (Ctrl+3)"),
    Sub("- Selection / Text:      Opaque (Ctrl+1) / Transparent (Ctrl+2) / Mosaic (Ctrl+3)"),
    Sub("- Fuzzy Select:          Tolerance (0, 15, 32, 64) (Ctrl+1 .. Ctrl+4 or 1 .. 4)"),
    Sub("- Path Tool:             Select (Ctrl+1) / Stroke (Ctrl+2) / Mosaic (Ctrl+3) / Clear (Ctrl+4)"),
    Sub("- Line / Arrow:          Plain Line (Ctrl+1) / Arrow (Ctrl+2)"),
    Sub("- Eraser / Airbrush:     Size (Eraser: Ctrl+1 .. Ctrl+4, Airbrush: Ctrl+1 .. Ctrl+3)"),
    kBlank,
    Head("File Operations"),
    R("Ctrl+N", "New Picture"),
    R("Ctrl+O", "Open Picture"),
    R("Alt+F, R", "Recent Files Submenu (1 ~ 10)"),
    R("Ctrl+S", "Save"),
    R("Ctrl+Shift+S / F12", "Save As"),
    R("Ctrl+Shift+U", "Upload to SFTP Server"),
    R("Ctrl+W", "Stretch / Skew Picture or Selection"),
    R("Alt+F4", "Exit Kolvex"),
    kBlank,
    Head("Editing & History"),
    R("Win+Shift+S / F7", "Capture Screen Region (Snip Tool)"),
    R("Ctrl+Shift+X", "Capture Screen Region (also Print Screen)"),
    R("Ctrl+Z", "Undo (Up to 1,000 Levels with File Spooling!)"),
    R("Ctrl+Y", "Redo"),
    R("Ctrl+X", "Cut Selection to Clipboard"),
    R("Ctrl+C", "Copy Selection to Clipboard"),
    R("Ctrl+V", "Paste from Clipboard"),
    R("Ctrl+A", "Select All"),
    R("Delete", "Clear Selection"),
    R("Ctrl+Enter / Enter", "Path: Apply the Path Mode (Shift+Enter: Stroke the Path)"),
    R("Backspace / Delete", "Path: Remove Last Anchor Point"),
    R("Esc", "Cancel Path / Polygon / Curve, Commit Text and Selection"),
    kBlank,
    Head("View & Navigation"),
    R("Ctrl+T", "Show / Hide Tool Box"),
    R("Ctrl+L", "Show / Hide Color Box"),
    R("Ctrl+B", "Show / Hide Status Bar"),
    R("Ctrl+G", "Show / Hide Grid"),
    R("View > Grid Spacing", "1 / 2 / 4 / 8 / 16 / 32 / 64 px"),
    R("Ctrl + Mouse Wheel", "Zoom In / Out (down to 10px shortest side, up to 1600%)"),
    R("Ctrl++ / Ctrl+= / Numpad+", "Zoom In"),
    R("Ctrl+- / Numpad-", "Zoom Out"),
    R("Ctrl+0 / Ctrl+Page Up", "Zoom 100% (Actual Size)"),
    R("Ctrl+Page Down", "Zoom 400% (Pixel Art Mode)"),
    R("Space + Drag", "Pan the Picture"),
    kBlank,
    Head("Image Transformations"),
    R("Shift+C / Enter", "Crop to Selection"),
    R("Ctrl+R", "Flip / Rotate"),
    R("Ctrl+I", "Invert Colors (255 - RGB)"),
    R("Ctrl+M", "Mosaic Selection, Path or Picture (Ctrl+Shift+M: Mosaic Dialog)"),
    R("Ctrl+E", "Image Attributes (Picture Size)"),
    R("Ctrl+Shift+N", "Clear Picture or Selection"),
    R("Ctrl+K", "Draw Opaque (Toggle Selection Transparency)"),
    kBlank,
    Head("Drawing Constraints & Mouse Gestures"),
    Free("Left Drag / Right Drag: Draw with Color 1 / Color 2"),
    Free("Shift + Drag with Line, Curve or Polygon: Horizontal, Vertical or 45-Degree Lines"),
    Free("Shift + Drag with Rectangle, Ellipse or Rounded Rectangle: Square / Circle"),
    Free("Drag the Canvas Grips (Right, Bottom, Corner): Resize Canvas"),
    Free("Multi-Click Shapes:"),
    Sub("- Polygon:               Drag the First Side, Click Each Corner, Double-Click to Close"),
    Sub("- Curve:                 Drag the Line, Then Click or Drag Twice to Bend It"),
    Free("Triple Right-Click (within 2s) outside canvas: Resize Canvas to 10x10 Pixels"),
};

std::string Centred(const std::string& title, int width) {
    const int left = (width - static_cast<int>(title.size())) / 2;
    std::string line(static_cast<size_t>(left), ' ');
    line += title;
    line.resize(static_cast<size_t>(width), ' ');
    return line;
}

std::string Build() {
    const std::string rule(kShortcutsBannerWidth, '=');
    std::string text =
        rule + "\r\n" + Centred("Kolvex Keyboard Shortcuts", kShortcutsBannerWidth) + "\r\n" + rule + "\r\n\r\n";
    for (const Line& line : kLines) {
        switch (line.kind) {
        case Kind::Heading: text += std::string(" [") + line.text + "]"; break;
        case Kind::Row: {
            std::string key = line.key;
            key.resize(kShortcutsKeyColumn, ' ');
            text += "  " + key + line.text;
            break;
        }
        case Kind::SubRow: text += std::string("    ") + line.text; break;
        case Kind::FreeText: text += std::string("  ") + line.text; break;
        case Kind::Blank: break;
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

const std::string& ShortcutsReferenceText() {
    static const std::string text = Build();
    return text;
}
