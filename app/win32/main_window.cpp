#include "app/win32/main_window.h"

#include <commctrl.h>

#include <array>
#include <vector>

#include "app/window_placement.h"

#include "app/win32/cp932.h"
#include "app/win32/system_error_text.h"
#include "app/win32/main_window_ids.h"

namespace rupena::win32 {

namespace {

constexpr wchar_t kCaption[] = L"ルペナ";
constexpr wchar_t kWindowFontName[] = L"ＭＳ ゴシック";
constexpr int kWindowFontHeight = 13;
constexpr int kPickedTextFontHeight = 16;
constexpr int kPickedTextHeight = 16;
constexpr int kStatusHeight = 24;
// The chooser in the picked text's place: its field and items, and their
// lettering.
constexpr int kChooserItemHeight = 14;
constexpr int kChooserFontHeight = 13;
constexpr POINT kInitialPosition{202, 107};

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
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
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
  windowFont_ = MakeFont(kWindowFontHeight, kWindowFontName);
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

HWND MainWindow::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                        int x, int y, int width, int height, DWORD exStyle) {
  HWND control = CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y,
                                 width, height, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(Handle(), GWLP_HINSTANCE)),
                                 nullptr);
  if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  return control;
}

// Labels size themselves to their text, as the layout's labels do.
void MainWindow::FitLabelToText(HWND label, int fixedHeight) {
  const std::wstring text = WindowText(label);
  ScopedWindowDc dc = GetDcScoped(label);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  ScopedSelection selected = SelectScoped(dc.Get().dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc.Get().dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get().dc, &metrics);
  const int height = fixedHeight > 0 ? fixedHeight : static_cast<int>(metrics.tmHeight);
  SetWindowPos(label, nullptr, 0, 0, size.cx, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::CreatePickedText() {
  pickedTextHeading_ = AddControl(L"STATIC", L"指示した文字：", SS_LEFT | SS_NOPREFIX, kIdPickedTextHeading, 8, 8, 0, 0);
  FitLabelToText(pickedTextHeading_, 0);
  pickedText_ = AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kIdPickedText, 8, 28, 0, kPickedTextHeight);
  SetPickedTextFont("\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e");
  // Hidden until the host hands over more than one text; then it takes the
  // picked text's place, as wide as the grid below it.
  textChooser_.Create(Handle(), kIdTextChooser, 8, 27, 273, kChooserItemHeight, kChooserFontHeight);
}

void MainWindow::CreateSpacingGrid() {
  spacingGrid_.Create(Handle(), kIdSpacingGrid, 8, 48, 273, 81);
  SendMessageW(spacingGrid_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  cellWidthLabel_ = AddControl(L"STATIC", L"セル幅：", SS_LEFT | SS_NOPREFIX, kIdCellWidthLabel, 96, 140, 0, 0);
  FitLabelToText(cellWidthLabel_, 0);
}

void MainWindow::CreateWidthSlider() {
  widthSlider_ = AddControl(TRACKBAR_CLASSW, L"", WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS,
                          kIdWidthSlider, 152, 136, 134, 25);
  SendMessageW(widthSlider_, TBM_SETRANGE, FALSE, MAKELPARAM(app::kMinCellWidth, app::kMaxCellWidth));
  SendMessageW(widthSlider_, TBM_SETTICFREQ, 5, 0);
  SendMessageW(widthSlider_, TBM_SETPAGESIZE, 0, 5);
  SendMessageW(widthSlider_, TBM_SETPOS, TRUE, app::kInitialCellWidth);
}

void MainWindow::CreateButtons() {
  AddControl(L"BUTTON", L"ＯＫ(&Y)", WS_TABSTOP | BS_DEFPUSHBUTTON, kIdOk, 72, 168, 121, 25);
  AddControl(L"BUTTON", L"キャンセル(&N)", WS_TABSTOP | BS_PUSHBUTTON, kIdCancel, 272, 168, 121,
             25);
}

void MainWindow::CreateNotes() {
  std::wstring notes;
  for (const wchar_t* line : kNotes) {
    if (!notes.empty()) notes += L"\r\n";
    notes += line;
  }
  notes_ = AddControl(L"EDIT", notes.c_str(),
                      ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL,
                      kIdNotes, 288, 48, 193, 113, WS_EX_CLIENTEDGE);
}

// Under the buttons: the band, and beside it the length box named by its
// label, which is created just before it.
void MainWindow::CreatePreview() {
  previewBand_.Create(Handle(), kIdPreviewBand, 8, 200, 380, 96);
  lengthLabel_ = AddControl(L"STATIC", L"全長：", SS_LEFT | SS_NOPREFIX, kIdLengthLabel, 396, 204, 0, 0);
  FitLabelToText(lengthLabel_, 0);
  if (lengthBox_.Create(Handle(), kIdLengthBox, 396, 222, 83, 22)) {
    SendMessageW(lengthBox_.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  }
}

void MainWindow::CreateStatusLine() {
  statusLine_ = AddControl(L"STATIC", L"　", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, kIdStatusLine, 0,
                        kClientHeight - kStatusHeight, kClientWidth, kStatusHeight);
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

void MainWindow::SetPickedTextFont(std::string_view fontName) {
  ScopedFont font = MakeFont(kPickedTextFontHeight, Cp932ToWide(fontName));
  if (!font.Get()) return;
  SendMessageW(pickedText_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  pickedTextFont_ = std::move(font);
  FitLabelToText(pickedText_, kPickedTextHeight);
}

void MainWindow::SetPickedText(std::string_view caption) {
  SetWindowTextW(pickedText_, Cp932ToWide(caption).c_str());
  FitLabelToText(pickedText_, kPickedTextHeight);
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
