// The Alert case window: showing the case, recording each change, photos,
// the case sheet.
#include "ui/history/alert_case_dialog.h"

#include <shellapi.h>

#include <commdlg.h>

#include <ctime>
#include <fstream>
#include <sstream>

#include "base/string_format.h"
#include "base/text_catalog.h"
#include "core/log.h"
#include "framework/sqlite_name.h"
#include "guide/answer_guide.h"
#include "history/case_sheet.h"
#include "history/entry_guidance.h"
#include "history/past_successes.h"
#include "res/resource.h"
#include "ui/controls/message_box.h"
#include "ui/controls/picture_thumbnail.h"
#include "ui/controls/save_dialog.h"

namespace {

constexpr int kThumbnail = 96;

const int kButtonIds[7] = {IDC_CASE_SAVE_ID, IDC_CASE_RECORD_STATE, IDC_CASE_SAVE_NOTE, IDC_CASE_ADD_PHOTO,
                           IDC_CASE_SHEET,   IDC_CASE_UNDO,         IDOK};
const int kLabelIds[8] = {IDC_CASE_VERDICT,    IDC_CASE_NEXT,      IDC_CASE_ID_LABEL,      IDC_CASE_DEADLINE_LABEL,
                          IDC_CASE_DEADLINE,   IDC_CASE_STATE_LABEL, IDC_CASE_NOTE_LABEL, IDC_CASE_HISTORY_LABEL};

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

std::string WindowsUser()
{
    char name[256] = "";
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? name : "";
}

std::string IsoTime(const SYSTEMTIME& t, const char* zone)
{
    char text[32];
    wsprintfA(text, "%04u-%02u-%02uT%02u:%02u:%02u%s", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, zone);
    return text;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string FileName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

}  // namespace

CAlertCaseDialog::CAlertCaseDialog(const HistoryReader& reader, std::string historyPath, HistoryEntry alert,
                                   long answerDays)
    : CSheetDialog(IDD_ALERT_CASE), m_reader(reader), m_historyPath(std::move(historyPath)),
      m_alert(std::move(alert)), m_answerDays(answerDays)
{
}

BOOL CAlertCaseDialog::OnInitDialog()
{
    for (int i = 0; i < 7; ++i) m_buttons[i].Attach(m_hWnd, kButtonIds[i]);
    for (int i = 0; i < 8; ++i) m_labels[i].Attach(m_hWnd, kLabelIds[i]);
    for (int state = 0; state < kCaseStateCount; ++state)
        SendDlgItemMessageA(m_hWnd, IDC_CASE_STATE, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(CaseStateWord(static_cast<CaseState>(state))));
    m_own = m_reader.OwnDecommissionBefore(m_alert);
    AnswerGuidance guidance = GuidanceOfEntry(m_alert, m_own ? &*m_own : nullptr);
    m_labels[0].SetText(std::string(VerdictWord(guidance.verdict)) + " - " + ShownText(m_alert.messageHeading));
    m_labels[1].SetText(guidance.nextStep);
    ShowWindow(GetDlgItem(m_hWnd, IDC_CASE_UNDO), guidance.undoOffered ? SW_SHOW : SW_HIDE);
    m_thumbnails.Reset(ImageList_Create(kThumbnail, kThumbnail, ILC_COLOR32, 4, 4));
    SendDlgItemMessageA(m_hWnd, IDC_CASE_PHOTOS, LVM_SETIMAGELIST, LVSIL_NORMAL,
                        reinterpret_cast<LPARAM>(m_thumbnails.Get()));
    ShowCase();
    return TRUE;
}

void CAlertCaseDialog::ShowCase()
{
    m_case = m_reader.AlertCaseOf(m_alert);
    SetDlgItemTextA(m_hWnd, IDC_CASE_ALERT_ID, m_case.alertId.c_str());
    SendDlgItemMessageA(m_hWnd, IDC_CASE_STATE, CB_SETCURSEL, static_cast<WPARAM>(m_case.state), 0);
    std::string note = m_case.note;
    SetDlgItemTextA(m_hWnd, IDC_CASE_NOTE, note.c_str());
    std::time_t alertTime = ParseUtcTime(m_alert.utcTime).value_or(0);
    std::time_t deadline = CaseDeadline(alertTime, m_answerDays);
    m_labels[4].SetText(DeadlineText(deadline, std::time(nullptr), m_case.state));
    HWND history = GetDlgItem(m_hWnd, IDC_CASE_HISTORY);
    SendMessageA(history, LB_RESETCONTENT, 0, 0);
    for (const CaseEvent& event : m_case.events) {
        std::string value = event.what == "Photo"   ? FileName(event.value)
                            : event.what == "State" ? CaseStateWord(CaseStateOfStored(event.value))
                                                    : event.value;
        std::string when = event.localTime.substr(0, 16);
        if (when.size() > 10) when[10] = ' ';
        std::string line = when + "  " + event.userName + "  " + Labelled(ShownText(event.what), value);
        for (char& c : line) if (c == '\r' || c == '\n') c = ' ';
        SendMessageA(history, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendMessageA(history, LB_SETHORIZONTALEXTENT, 1200, 0);
    ShowPhotos();
}

void CAlertCaseDialog::ShowPhotos()
{
    HWND list = GetDlgItem(m_hWnd, IDC_CASE_PHOTOS);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    ImageList_RemoveAll(m_thumbnails.Get());
    int index = 0;
    for (const std::string& photo : m_case.photos) {
        GdiHandle<HBITMAP> thumbnail(LoadThumbnail(photo, kThumbnail));
        int image = thumbnail ? ImageList_Add(m_thumbnails.Get(), thumbnail.Get(), nullptr) : -1;
        std::string name = FileName(photo);
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = index++;
        item.iImage = image;
        item.pszText = &name[0];
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

bool CAlertCaseDialog::Record(const char* what, const std::string& value)
{
    SYSTEMTIME local, utc;
    GetLocalTime(&local);
    GetSystemTime(&utc);
    CaseEvent event{what, value, IsoTime(local, ""), IsoTime(utc, "Z"), WindowsUser()};
    std::string reason;
    if (!RecordCaseEvent(SqliteFileName(m_historyPath), m_alert.id, event, reason)) {
        Warning("Alert case - %s of row %lld not saved: %s", what, static_cast<long long>(m_alert.id), reason.c_str());
        ShowOwnedMessageBox(m_hWnd, StringPrintf(Text(TextId::CaseChangeNotSaved), reason.c_str()), "",
                            MessageBoxButtons::Ok);
        return false;
    }
    Log("Alert case - row %lld: %s recorded", static_cast<long long>(m_alert.id), what);
    ShowCase();
    return true;
}

void CAlertCaseDialog::SaveId()
{
    std::string id = DialogItemText(m_hWnd, IDC_CASE_ALERT_ID);
    if (id != m_case.alertId) Record("Alert ID", id);
}

void CAlertCaseDialog::RecordState()
{
    LRESULT chosen = SendDlgItemMessageA(m_hWnd, IDC_CASE_STATE, CB_GETCURSEL, 0, 0);
    if (chosen < 0 || chosen >= kCaseStateCount) return;
    Record("State", StoredCaseStateWord(static_cast<CaseState>(chosen)));
}

void CAlertCaseDialog::SaveNote()
{
    std::string note = DialogItemText(m_hWnd, IDC_CASE_NOTE);
    if (note != m_case.note) Record("Note", note);
}

void CAlertCaseDialog::AddPhoto()
{
    char picked[MAX_PATH] = "";
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    const std::string filter = std::string(Text(TextId::FileTypePictures)) + '\0' + "*.jpg;*.jpeg;*.png;*.gif;*.bmp" +
                               '\0' + Text(TextId::FileTypeAll) + '\0' + "*.*" + '\0';
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = picked;
    dialog.nMaxFile = sizeof picked;
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&dialog)) return;
    std::string folder = Folder(m_historyPath) + "\\Photos";
    CreateDirectoryA(folder.c_str(), nullptr);
    // The pharmacy's copy stays, whatever becomes of the picked file.
    std::string copy = folder + "\\" + PhotoFileName(m_alert.id, static_cast<int>(m_case.photos.size()) + 1, picked);
    if (!CopyFileA(picked, copy.c_str(), TRUE)) {
        Warning("Alert case - photo %s not copied to %s", picked, copy.c_str());
        ShowOwnedMessageBox(m_hWnd, Text(TextId::CasePhotoNotCopied), "",
                            MessageBoxButtons::Ok);
        return;
    }
    if (!Record("Photo", copy)) DeleteFileA(copy.c_str());
}

void CAlertCaseDialog::OpenPhoto(int index)
{
    if (index < 0 || index >= static_cast<int>(m_case.photos.size())) return;
    ShellExecuteA(m_hWnd, "open", m_case.photos[index].c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CAlertCaseDialog::WriteSheet()
{
    CaseSheetInput input;
    input.entry = m_alert;
    input.guidance = GuidanceOfEntry(m_alert, m_own ? &*m_own : nullptr);
    input.record = m_case;
    input.deadline = DeadlineText(CaseDeadline(ParseUtcTime(m_alert.utcTime).value_or(0), m_answerDays),
                                  std::time(nullptr), m_case.state);
    for (const std::string& photo : m_case.photos) input.photos.push_back({FileName(photo), ReadFileBytes(photo)});
    std::string path = "alert-case-" + std::to_string(m_alert.id) + ".html";
    if (!AskSavePath(m_hWnd, Text(TextId::FileTypeWebPage), "html", path)) return;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << CaseSheetHtml(input);
    out.close();
    if (!out) {
        ShowOwnedMessageBox(m_hWnd, Text(TextId::CaseSheetNotSaved), "",
                            MessageBoxButtons::Ok);
        return;
    }
    Log("Alert case - sheet of row %lld saved to %s", static_cast<long long>(m_alert.id), path.c_str());
    ShellExecuteA(m_hWnd, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

bool CAlertCaseDialog::OnCommand(int id, int notifyCode, HWND control)
{
    switch (id) {
    case IDC_CASE_SAVE_ID: SaveId(); return true;
    case IDC_CASE_RECORD_STATE: RecordState(); return true;
    case IDC_CASE_SAVE_NOTE: SaveNote(); return true;
    case IDC_CASE_ADD_PHOTO: AddPhoto(); return true;
    case IDC_CASE_SHEET: WriteSheet(); return true;
    case IDC_CASE_UNDO: EndDialog(kUndoChosen); return true;
    default: return CSheetDialog::OnCommand(id, notifyCode, control);
    }
}

INT_PTR CAlertCaseDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == IDC_CASE_PHOTOS && header->code == NM_DBLCLK) {
            OpenPhoto(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
            return TRUE;
        }
    }
    return CSheetDialog::DialogProc(message, wParam, lParam);
}

const AlertCase& CAlertCaseDialog::ShownCase() const { return m_case; }
