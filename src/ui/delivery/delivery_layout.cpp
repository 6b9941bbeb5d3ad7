// The delivery window's layout, measured in the fonts its controls draw with.
#include "ui/delivery/delivery_layout.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/dialog.h"
#include "framework/win_handle.h"
#include "res/resource.h"
#include "ui/controls/caption_font.h"

namespace {

// The sizes at 96 dots per inch; Metrics scales them to the screen's.
constexpr int kMargin = 8, kGap = 8, kRowHeight = 28, kFieldHeight = 24, kTallyWidth = 230;
constexpr int kSupplierField = 240, kNoteField = 160, kDetailsHeight = 110, kLeastHeading = 300;
constexpr int kLeastHeight = 460;
constexpr int kButtonPadding = 24;  // a button's frame and its focus mark
constexpr int kMostHeadingLines = 4;

struct Metrics {
    int dpi = 96;
    int lineHeight = 16;  // one line of the caption font
    int Scaled(int pixels) const { return MulDiv(pixels, dpi, 96); }
};

Metrics MetricsOf(HWND window)
{
    Metrics m;
    WindowDC dc(window);
    m.dpi = GetDeviceCaps(dc.Get(), LOGPIXELSY);
    SelectedObject font(dc.Get(), CaptionFont());
    SIZE size{};
    GetTextExtentPoint32A(dc.Get(), "Ag", 2, &size);
    m.lineHeight = std::max(static_cast<int>(size.cy), m.Scaled(16));
    return m;
}

// The control's own text measured in the caption font (the program's
// controls draw with it) and in the control's font: the wider.
int TextWidth(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    const std::string text = DialogItemText(window, id);
    WindowDC dc(control);
    int widest = 0;
    for (HFONT font : {CaptionFont(), reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0))}) {
        SelectedObject selected(dc.Get(), font);
        SIZE size{};
        GetTextExtentPoint32A(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx));
    }
    return widest;
}

// At least `least` (at 96 dpi), wider when the text in the language shown needs it.
int FittingWidth(HWND window, const Metrics& m, int id, int least, int padding)
{
    return std::max(m.Scaled(least), TextWidth(window, id) + m.Scaled(padding));
}

// The height the control's text takes wrapped to `width`, as the label
// draws it; at most kMostHeadingLines lines.
int WrappedHeight(HWND window, const Metrics& m, int id, int width)
{
    const std::string text = DialogItemText(window, id);
    WindowDC dc(GetDlgItem(window, id));
    SelectedObject font(dc.Get(), CaptionFont());
    RECT bounds{0, 0, std::max(width, 1), 0};
    DrawTextA(dc.Get(), text.c_str(), -1, &bounds, DT_CALCRECT | DT_WORDBREAK);
    return std::clamp(static_cast<int>(bounds.bottom), m.lineHeight, kMostHeadingLines * m.lineHeight);
}

void Place(HWND window, int id, int x, int y, int width, int height)
{
    MoveWindow(GetDlgItem(window, id), x, y, width, height, TRUE);
}

struct Buttons {
    int report, finish, close;
    int Total(const Metrics& m) const { return report + finish + close + 2 * m.Scaled(kGap); }
};

Buttons ButtonWidths(HWND window, const Metrics& m)
{
    return {FittingWidth(window, m, IDC_DELIVERY_REPORT, 160, kButtonPadding),
            FittingWidth(window, m, IDC_DELIVERY_FINISH, 140, kButtonPadding),
            FittingWidth(window, m, IDCANCEL, 90, kButtonPadding)};
}

// The tally shows both its columns whole, in every language.
int TallyWidth(HWND window, const Metrics& m)
{
    HWND tally = GetDlgItem(window, IDC_DELIVERY_TALLY);
    int columns = static_cast<int>(SendMessageA(tally, LVM_GETCOLUMNWIDTH, 0, 0) +
                                   SendMessageA(tally, LVM_GETCOLUMNWIDTH, 1, 0));
    return std::max(m.Scaled(kTallyWidth), columns + GetSystemMetrics(SM_CXVSCROLL) + m.Scaled(4));
}

}  // namespace

void LayOutDeliveryWindow(HWND window, int cx, int cy)
{
    const Metrics m = MetricsOf(window);
    const int margin = m.Scaled(kMargin), gap = m.Scaled(kGap);
    const Buttons buttons = ButtonWidths(window, m);
    const int closeX = cx - margin - buttons.close, finishX = closeX - gap - buttons.finish;
    const int reportX = finishX - gap - buttons.report;
    // The heading says what the window does to every scan: it wraps, never cut.
    const int headingWidth = reportX - 2 * margin;
    const int headingHeight = WrappedHeight(window, m, IDC_DELIVERY_HEADING, headingWidth);
    const int rowHeight = std::max(m.Scaled(kRowHeight), m.lineHeight + m.Scaled(10));
    const int topHeight = std::max(rowHeight, headingHeight + m.Scaled(5));
    Place(window, IDC_DELIVERY_HEADING, margin, margin + m.Scaled(5), headingWidth, headingHeight);
    Place(window, IDC_DELIVERY_REPORT, reportX, margin, buttons.report, rowHeight);
    Place(window, IDC_DELIVERY_FINISH, finishX, margin, buttons.finish, rowHeight);
    Place(window, IDCANCEL, closeX, margin, buttons.close, rowHeight);

    const int fieldHeight = std::max(m.Scaled(kFieldHeight), m.lineHeight + m.Scaled(8));
    const int fieldY = margin + topHeight + gap, labelY = fieldY + (fieldHeight - m.lineHeight) / 2;
    const int supplierLabel = FittingWidth(window, m, IDC_DELIVERY_SUPPLIER_LABEL, 70, 4);
    const int noteLabel = FittingWidth(window, m, IDC_DELIVERY_NOTE_LABEL, 110, 4);
    const int supplierX = margin + supplierLabel + m.Scaled(4);
    const int noteLabelX = supplierX + m.Scaled(kSupplierField) + gap;
    Place(window, IDC_DELIVERY_SUPPLIER_LABEL, margin, labelY, supplierLabel, m.lineHeight);
    Place(window, IDC_DELIVERY_SUPPLIER, supplierX, fieldY, m.Scaled(kSupplierField), fieldHeight);
    Place(window, IDC_DELIVERY_NOTE_LABEL, noteLabelX, labelY, noteLabel, m.lineHeight);
    Place(window, IDC_DELIVERY_NOTE, noteLabelX + noteLabel + m.Scaled(4), fieldY, m.Scaled(kNoteField), fieldHeight);

    const int statusHeight = WrappedHeight(window, m, IDC_DELIVERY_STATUS, cx - 2 * margin);
    const int listY = fieldY + fieldHeight + m.Scaled(10), statusY = cy - margin - statusHeight;
    const int tallyWidth = TallyWidth(window, m);
    const int bottom = statusY - gap, asideX = 2 * margin + tallyWidth, asideWidth = cx - margin - asideX;
    Place(window, IDC_DELIVERY_TALLY, margin, listY, tallyWidth, bottom - listY);
    Place(window, IDC_DELIVERY_ASIDE_LABEL, asideX, listY, asideWidth, m.lineHeight);
    const int detailsHeight = m.Scaled(kDetailsHeight), asideY = listY + m.lineHeight + m.Scaled(4);
    const int detailsY = bottom - detailsHeight;
    Place(window, IDC_DELIVERY_ASIDE, asideX, asideY, asideWidth, detailsY - gap - asideY);
    Place(window, IDC_DELIVERY_DETAILS, asideX, detailsY, asideWidth, detailsHeight);
    Place(window, IDC_DELIVERY_STATUS, margin, statusY, cx - 2 * margin, statusHeight);
}

SIZE LeastDeliveryClientSize(HWND window)
{
    const Metrics m = MetricsOf(window);
    return {m.Scaled(kLeastHeading) + ButtonWidths(window, m).Total(m) + 3 * m.Scaled(kMargin),
            m.Scaled(kLeastHeight)};
}

void FitDeliveryWindowToScreen(HWND window)
{
    RECT work{}, frame{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(window, &frame)) return;
    const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= workWidth && height <= workHeight) return;
    const int fittedWidth = std::min(width, workWidth), fittedHeight = std::min(height, workHeight);
    SetWindowPos(window, nullptr, work.left + (workWidth - fittedWidth) / 2, work.top + (workHeight - fittedHeight) / 2,
                 fittedWidth, fittedHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}
