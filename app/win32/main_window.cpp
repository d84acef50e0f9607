#include "app/win32/main_window.h"

#include <commctrl.h>

#include <array>
#include <vector>

#include "app/window_placement.h"

#include "app/win32/cp932.h"
#include "app/win32/dpi.h"
#include "app/win32/main_window_ids.h"
#include "app/win32/system_error_text.h"

namespace rupena::win32 {

namespace {

constexpr wchar_t kCaption[] = L"ルペナ";
constexpr wchar_t kWindowFontName[] = L"ＭＳ ゴシック";
// Screen pixels, as the position file's: the stored place replaces it.
constexpr POINT kInitialPosition{202, 107};
constexpr const app::MainWindowLayout& kLayout = app::kMainWindowLayout;

// WINVER 0x0605 (Windows 10 1703) names it; older systems never send it.
constexpr UINT kGetDpiScaledSize = 0x02E4;

// Each control's box in the layout, by control ID.
struct ControlPlace {
  int id;
  app::LayoutBox app::MainWindowLayout::*box;
};
constexpr ControlPlace kControlPlaces[] = {
    {kIdPickedTextHeading, &app::MainWindowLayout::pickedTextHeading},
    {kIdPickedText, &app::MainWindowLayout::pickedText},
    {kIdSpacingGrid, &app::MainWindowLayout::spacingGrid},
    {kIdCellWidthLabel, &app::MainWindowLayout::cellWidthLabel},
    {kIdWidthSlider, &app::MainWindowLayout::widthSlider},
    {kIdOk, &app::MainWindowLayout::okButton},
    {kIdCancel, &app::MainWindowLayout::cancelButton},
    {kIdNotes, &app::MainWindowLayout::notes},
    {kIdPreviewBand, &app::MainWindowLayout::previewBand},
    {kIdLengthLabel, &app::MainWindowLayout::lengthLabel},
    {kIdLengthBox, &app::MainWindowLayout::lengthBox},
    {kIdStatusLine, &app::MainWindowLayout::statusLine},
};

// The chooser's field at `dpi`: its place, and the height of it and of
// each item, a length of its own.
app::LayoutBox ChooserBox(int dpi) {
  app::LayoutBox box = app::ScaleBox(kLayout.textChooser, dpi);
  box.height = app::ScaleForDpi(kLayout.textChooser.height, dpi);
  return box;
}

SIZE ClientSize(int dpi) {
  return SIZE{app::ScaleForDpi(kLayout.clientWidth, dpi), app::ScaleForDpi(kLayout.clientHeight, dpi)};
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kPickedTextBackground = RGB(192, 220, 192);
constexpr COLORREF kNotesBackground = RGB(187, 235, 244);
constexpr COLORREF kStatusBackground = RGB(231, 231, 231);

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The notes of the read-only box, line by line.
constexpr std::array<const wchar_t*, 13> kNotes = {
    L"◇特殊文字、制御文字、",  L"　埋込文字、均等文字、",   L"　等には対応していません",
    L"",                        L"◆ブロック図形内のもの",   L"　は処理出来ませんので",
    L"　御注意下さい。",        L"　ブロック編集内で行う",   L"　場合には、本ソフトを",
    L"　Jw_cadのインストール・", L"　フォルダに配置して",     L"　実行を行う必要がある",
    L"　場合があります。",
};

ScopedFont MakeFont(int pixelHeight, const std::wstring& faceName) {
  LOGFONTW lf{};
  lf.lfHeight = -pixelHeight;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  // a name longer than LOGFONT holds is cut; the system substitutes a font
  // it does not have anyway
  faceName.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return ScopedFont(CreateFontIndirectW(&lf));
}

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

void RedrawNow(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& r = info.rcWork;
  try {
    reinterpret_cast<std::vector<app::ScreenRect>*>(areas)->push_back(
        {r.left, r.top, r.right, r.bottom});
  } catch (...) {
    return FALSE;  // nothing may unwind through USER32; the areas so far stand
  }
  return TRUE;
}

// The work areas (screens less their task bars) of every monitor attached.
std::vector<app::ScreenRect> MonitorWorkAreas() {
  std::vector<app::ScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

}  // namespace

bool MainWindow::Create(HINSTANCE instance, HWND owner, const std::filesystem::path& exePath) {
  WindowClass windowClass;
  windowClass.name = kMainWindowClass;
  windowClass.cursor = IDC_ARROW;
  windowClass.iconResource = kAppIconResource;
  windowClass.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));

  owner_ = owner;
  form_ = std::make_unique<app::MainForm>(static_cast<app::FormView&>(*this), exePath);
  // Sized for 96 DPI; at another DPI OnCreate sizes it again.
  const RECT frame = WindowRectForClient(ClientSize(app::kLayoutDpi), kWindowStyle, 0, app::kLayoutDpi);
  return WindowBase::Create(instance, windowClass,
                            {.title = kCaption,
                             .style = kWindowStyle,
                             .x = kInitialPosition.x,
                             .y = kInitialPosition.y,
                             .width = frame.right - frame.left,
                             .height = frame.bottom - frame.top,
                             .parent = owner});
}

void MainWindow::Show() {
  form_->OnShown();
  ShowWindow(Handle(), SW_SHOWNORMAL);
  UpdateWindow(Handle());
  SetFocus(spacingGrid_.Handle());
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_MEASUREITEM:
      OnMeasureItem(static_cast<int>(wParam), *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      OnDrawItem(static_cast<int>(wParam), *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_HSCROLL:
      OnHScroll(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SYSCOMMAND:
      if (OnSysCommand(wParam)) return 0;
      break;
    case DM_GETDEFID:
      return MAKELRESULT(kIdOk, DC_HASDEFID);
    case kGetDpiScaledSize:
      return OnGetDpiScaledSize(LOWORD(wParam), reinterpret_cast<SIZE*>(lParam)) ? TRUE : FALSE;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

// A handler that threw: past its creation the run ends as after Cancel; a
// window already on its way out is left to finish going.
LRESULT MainWindow::OnMessageFailed(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_DESTROY:
    case WM_NCDESTROY:
      return WindowBase::OnMessageFailed(message, wParam, lParam);
    default:
      DestroyWindow(Handle());
      return 0;
  }
}

bool MainWindow::OnCreate() {
  dpi_ = WindowDpi(Handle());
  SizeToLayout();
  windowFont_ = MakeWindowFont();
  whiteBrush_ = ScopedBrush(CreateSolidBrush(kWhite));
  pickedTextBrush_ = ScopedBrush(CreateSolidBrush(kPickedTextBackground));
  notesBrush_ = ScopedBrush(CreateSolidBrush(kNotesBackground));
  statusBrush_ = ScopedBrush(CreateSolidBrush(kStatusBackground));
  CreatePickedText();
  CreateSpacingGrid();
  CreateWidthSlider();
  CreateButtons();
  CreateNotes();
  CreatePreview();
  CreateStatusLine();
  return spacingGrid_.Handle() != nullptr && widthSlider_ != nullptr;
}

// Created at their place and size: moving or sizing a control afterwards
// costs as much again.
HWND MainWindow::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                            DWORD exStyle) {
  const HFONT font = id == kIdPickedText ? pickedTextFont_.Get() : windowFont_.Get();
  const app::LayoutBox box = FittedBox(id, font, text);
  HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, box.x,
                                 box.y, box.width, box.height, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(Handle(), GWLP_HINSTANCE)),
                                 nullptr);
  if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

// Labels size themselves to their text, as the layout's labels do; one
// whose size is right already is left alone.
void MainWindow::FitLabelToText(HWND label) {
  const app::LayoutBox box = ControlBox(label);
  RECT now{};
  GetWindowRect(label, &now);
  if (now.right - now.left == box.width && now.bottom - now.top == box.height) return;
  SetWindowPos(label, nullptr, 0, 0, box.width, box.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::CreatePickedText() {
  pickedTextHeading_ = AddControl(L"STATIC", L"指示した文字：", SS_LEFT | SS_NOPREFIX, kIdPickedTextHeading);
  pickedTextFace_ = kWindowFontName;
  pickedTextFont_ = MakePickedTextFont(pickedTextFace_);
  pickedText_ = AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kIdPickedText);
  // Shown only when the host hands over more than one text; then it takes
  // the picked text's place, as wide as the grid below it.
  const app::LayoutBox chooser = ChooserBox(dpi_);
  textChooser_.Prepare(Handle(), kIdTextChooser, pickedText_, chooser.x, chooser.y, chooser.width,
                       chooser.height, app::ScaleForDpi(kLayout.chooserFontHeight, dpi_));
}

void MainWindow::CreateSpacingGrid() {
  const app::LayoutBox box = Box(kIdSpacingGrid);
  spacingGrid_.Create(Handle(), kIdSpacingGrid, box.x, box.y, box.width, box.height);
  SendMessageW(spacingGrid_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  cellWidthLabel_ = AddControl(L"STATIC", L"セル幅：", SS_LEFT | SS_NOPREFIX, kIdCellWidthLabel);
}

void MainWindow::CreateWidthSlider() {
  widthSlider_ = AddControl(TRACKBAR_CLASSW, L"", WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS,
                            kIdWidthSlider);
  SendMessageW(widthSlider_, TBM_SETRANGE, FALSE, MAKELPARAM(app::kMinCellWidth, app::kMaxCellWidth));
  SendMessageW(widthSlider_, TBM_SETTICFREQ, 5, 0);
  SendMessageW(widthSlider_, TBM_SETPAGESIZE, 0, 5);
  SendMessageW(widthSlider_, TBM_SETPOS, TRUE, app::kInitialCellWidth);
}

void MainWindow::CreateButtons() {
  AddControl(L"BUTTON", L"ＯＫ(&Y)", WS_TABSTOP | BS_DEFPUSHBUTTON, kIdOk);
  AddControl(L"BUTTON", L"キャンセル(&N)", WS_TABSTOP | BS_PUSHBUTTON, kIdCancel);
}

void MainWindow::CreateNotes() {
  std::wstring notes;
  for (const wchar_t* line : kNotes) {
    if (!notes.empty()) notes += L"\r\n";
    notes += line;
  }
  notes_ = AddControl(L"EDIT", notes.c_str(),
                      ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL,
                      kIdNotes, WS_EX_CLIENTEDGE);
}

// Under the buttons: the band, and beside it the length box named by its
// label, which is created just before it.
void MainWindow::CreatePreview() {
  const app::LayoutBox band = Box(kIdPreviewBand);
  previewBand_.SetDpi(static_cast<UINT>(dpi_));
  previewBand_.Create(Handle(), kIdPreviewBand, band.x, band.y, band.width, band.height);
  lengthLabel_ = AddControl(L"STATIC", L"全長：", SS_LEFT | SS_NOPREFIX, kIdLengthLabel);
  const app::LayoutBox box = Box(kIdLengthBox);
  if (lengthBox_.Create(Handle(), kIdLengthBox, box.x, box.y, box.width, box.height)) {
    SendMessageW(lengthBox_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  }
}

void MainWindow::CreateStatusLine() {
  statusLine_ = AddControl(L"STATIC", L"　", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, kIdStatusLine);
}

app::LayoutBox MainWindow::Box(int id) const {
  for (const ControlPlace& control : kControlPlaces) {
    if (control.id == id) return app::ScaleBox(kLayout.*control.box, dpi_);
  }
  return {};
}

// The box of a control that exists, a label's fitted to its text and font.
app::LayoutBox MainWindow::ControlBox(HWND control) const {
  const int id = GetDlgCtrlID(control);
  const app::LayoutBox box = Box(id);
  if (box.width > 0 && box.height > 0) return box;
  return FittedBox(id, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                   WindowText(control));
}

// A label's width or height of 0 in the layout is its text's in `font`:
// the text's width, the font's line height.
app::LayoutBox MainWindow::FittedBox(int id, HFONT font, std::wstring_view text) const {
  app::LayoutBox box = Box(id);
  if (box.width > 0 && box.height > 0) return box;
  if (text.empty() && box.height > 0) return box;
  const ScopedWindowDc dc = GetDcScoped(Handle());
  if (!dc) return box;
  const ScopedSelection selected = SelectScoped(dc.Get().dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get().dc, text.data(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get().dc, &metrics);
  if (box.width == 0) box.width = static_cast<int>(size.cx);
  if (box.height == 0) box.height = static_cast<int>(metrics.tmHeight);
  return box;
}

ScopedFont MainWindow::MakeWindowFont() const {
  return MakeFont(app::ScaleForDpi(kLayout.windowFontHeight, dpi_), kWindowFontName);
}

ScopedFont MainWindow::MakePickedTextFont(const std::wstring& faceName) const {
  return MakeFont(app::ScaleForDpi(kLayout.pickedTextFontHeight, dpi_), faceName);
}

// The client area exactly the layout's at the window's DPI, whatever frame
// the system draws: the frame is measured, not assumed.
void MainWindow::SizeToLayout() {
  const SIZE target = ClientSize(dpi_);
  RECT client{};
  RECT window{};
  if (!GetClientRect(Handle(), &client) || !GetWindowRect(Handle(), &window)) return;
  if (client.right == target.cx && client.bottom == target.cy) return;
  SetWindowPos(Handle(), nullptr, 0, 0, window.right - window.left + target.cx - client.right,
               window.bottom - window.top + target.cy - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Every control at its box, labels fitted to their text, in one move.
void MainWindow::LayOut() {
  HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(kControlPlaces)));
  for (const ControlPlace& control : kControlPlaces) {
    const HWND window = GetDlgItem(Handle(), control.id);
    const app::LayoutBox box = ControlBox(window);
    if (moves != nullptr && window != nullptr) {
      moves = DeferWindowPos(moves, window, nullptr, box.x, box.y, box.width, box.height,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (moves != nullptr) EndDeferWindowPos(moves);
}

void MainWindow::OnCommand(int id, int code) {
  switch (id) {
    case kIdOk:
      OnOk();
      break;
    case kIdCancel:
      OnCancel();
      break;
    case kIdSpacingGrid:
      if (code == GN_CELLSCHANGED) form_->OnSpacingsChanged();
      break;
    case kIdTextChooser:
      if (code == CBN_SELCHANGE && textChooser_.Chosen() >= 0) {
        form_->OnTextChosen(static_cast<std::size_t>(textChooser_.Chosen()));
      }
      break;
  }
}

void MainWindow::OnMeasureItem(int id, MEASUREITEMSTRUCT& item) {
  if (id == kIdTextChooser) textChooser_.MeasureItem(item);
}

void MainWindow::OnDrawItem(int id, const DRAWITEMSTRUCT& item) {
  if (id == kIdTextChooser) textChooser_.DrawItem(item);
}

void MainWindow::OnOk() {
  // what is still in the cell editor counts as typed
  spacingGrid_.CommitEdit();
  form_->OnOk();
}

void MainWindow::OnCancel() { form_->OnCancel(); }

void MainWindow::OnHScroll(HWND control) {
  if (control != widthSlider_) return;
  const auto position = static_cast<int>(SendMessageW(widthSlider_, TBM_GETPOS, 0, 0));
  form_->OnWidthSliderMoved(position);
}

LRESULT MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
  HBRUSH brush = whiteBrush_.Get();
  COLORREF color = kWhite;
  if (control == pickedText_) {
    brush = pickedTextBrush_.Get();
    color = kPickedTextBackground;
  } else if (control == notes_) {
    brush = notesBrush_.Get();
    color = kNotesBackground;
  } else if (control == statusLine_) {
    brush = statusBrush_.Get();
    color = kStatusBackground;
  }
  SetBkColor(dc, color);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  return reinterpret_cast<LRESULT>(brush);
}

// Keeps the focused control across deactivation, as a dialog does.
void MainWindow::OnActivate(bool active) {
  if (!active) {
    focusBeforeDeactivate_ = GetFocus();
    return;
  }
  HWND focus = focusBeforeDeactivate_;
  if (focus == nullptr || !IsChild(Handle(), focus)) focus = spacingGrid_.Handle();
  SetFocus(focus);
}

// The task bar button belongs to the owner: minimising goes through it.
bool MainWindow::OnSysCommand(WPARAM command) {
  if ((command & 0xFFF0) == SC_MINIMIZE && owner_ != nullptr) {
    ShowWindow(owner_, SW_MINIMIZE);
    return true;
  }
  return false;
}

// The close box and Alt+F4 end the run as Cancel does.
void MainWindow::OnClose() { form_->OnCancel(); }

void MainWindow::OnDestroy() { PostQuitMessage(0); }

// Asked before a DPI change: the frame around the layout at the new DPI, so
// that the rectangle WM_DPICHANGED then suggests already fits it.
bool MainWindow::OnGetDpiScaledSize(int dpi, SIZE* size) const {
  if (size == nullptr || dpi <= 0) return false;
  const RECT frame = WindowRectForClient(ClientSize(dpi), kWindowStyle, 0, dpi);
  *size = SIZE{frame.right - frame.left, frame.bottom - frame.top};
  return true;
}

// Moved onto a screen of another scale (or the scale was changed): the
// place Windows suggests, the same layout at the new DPI, fonts made anew.
// The grid keeps its cells, its selection and the cell being typed into.
// Without a suggestion the window keeps its place.
void MainWindow::OnDpiChanged(int dpi, const RECT* suggested) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  ScopedFont windowFont = MakeWindowFont();
  ScopedFont pickedTextFont = MakePickedTextFont(pickedTextFace_);
  // Fonts that cannot be made leave the old ones in use rather than none.
  if (windowFont) {
    for (const ControlPlace& control : kControlPlaces) {
      if (control.id == kIdPickedText) continue;
      SendMessageW(GetDlgItem(Handle(), control.id), WM_SETFONT,
                   reinterpret_cast<WPARAM>(windowFont.Get()), FALSE);
    }
    windowFont_ = std::move(windowFont);
  }
  if (pickedTextFont) {
    SendMessageW(pickedText_, WM_SETFONT, reinterpret_cast<WPARAM>(pickedTextFont.Get()), FALSE);
    pickedTextFont_ = std::move(pickedTextFont);
  }
  spacingGrid_.SetDpi(dpi_);
  previewBand_.SetDpi(static_cast<UINT>(dpi_));
  const app::LayoutBox chooser = ChooserBox(dpi_);
  textChooser_.SetSizes(chooser.height, app::ScaleForDpi(kLayout.chooserFontHeight, dpi_));
  textChooser_.Place(chooser.x, chooser.y, chooser.width);
  if (suggested != nullptr) {
    SetWindowPos(Handle(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SizeToLayout();
  LayOut();
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::SetPickedTextFont(std::string_view fontName) {
  std::wstring faceName = Cp932ToWide(fontName);
  if (faceName == pickedTextFace_ && pickedTextFont_) return;
  ScopedFont font = MakePickedTextFont(faceName);
  if (!font.Get()) return;
  SendMessageW(pickedText_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  pickedTextFont_ = std::move(font);
  pickedTextFace_ = std::move(faceName);
  FitLabelToText(pickedText_);
}

void MainWindow::SetPickedText(std::string_view caption) {
  const std::wstring text = Cp932ToWide(caption);
  if (text == WindowText(pickedText_)) return;
  SetWindowTextW(pickedText_, text.c_str());
  FitLabelToText(pickedText_);
}

void MainWindow::RedrawPickedTextNow() { RedrawNow(pickedText_); }

void MainWindow::ShowTextChoices(const std::vector<app::TextChoice>& choices, std::size_t chosen) {
  ShowWindow(pickedText_, SW_HIDE);
  textChooser_.Show(choices, chosen);
}

void MainWindow::ShowPreview(const app::Preview& preview) {
  previewBand_.Show(preview);
  lengthBox_.Show(preview.length, preview.lengthEditable);
}

void MainWindow::SetStatus(std::string_view caption) {
  SetWindowTextW(statusLine_, Cp932ToWide(caption).c_str());
  RedrawNow(statusLine_);
}

// A stored position that leaves the title bar on no screen (its monitor
// was unplugged) would hide the window; it opens on the nearest one instead.
// The position file keeps the old place until OK stores the new one.
void MainWindow::MoveTo(app::WindowPosition position) {
  RECT frame{};
  POINT clientOrigin{0, 0};
  GetWindowRect(Handle(), &frame);
  ClientToScreen(Handle(), &clientOrigin);
  const app::WindowSize size{frame.right - frame.left, frame.bottom - frame.top,
                               clientOrigin.y - frame.top};
  const app::WindowPosition place = app::KeepReachable(position, size, MonitorWorkAreas());
  if (place.left == frame.left && place.top == frame.top) return;
  SetWindowPos(Handle(), nullptr, place.left, place.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

app::WindowPosition MainWindow::Position() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return {r.left, r.top};
}

void MainWindow::ReportWriteFailure(std::string_view fileName, std::error_code reason) {
  const std::string message =
      app::WriteFailureMessage(fileName, WideToCp932(SystemErrorText(reason)));
  MessageBoxW(Handle(), Cp932ToWide(message).c_str(), kCaption, MB_OK | MB_ICONERROR);
}

void MainWindow::Close() { DestroyWindow(Handle()); }

}  // namespace rupena::win32
