// The update worker: asks the servers for the signed version document, asks the user, downloads, checks and
// hands the file to the installer or the replacement. It shows no UI itself and calls no window function but
// SendMessage and PostMessage: boxes are requests to the main window.
#include <windows.h>

#include <commctrl.h>

#include "shell/dialog_frame.h"
#include "base/scoped_handles.h"
#include "base/text_convert.h"
#include "update/update_http.h"
#include "update/update_install.h"
#include "update/update_job.h"
#include "update/update_settings.h"
#include "update/update_verify.h"
#include "update/update_window.h"

namespace {

void SetLabel(UpdateJob& job, const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    SendToUpdateWindow(job.label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void SetProgress(UpdateJob& job, int percent) { SendToUpdateWindow(job.progress, PBM_SETPOS, percent, 0); }

// The document at url, read only if its signature at url + ".sig" verifies with the key.
bool FetchSignedDocument(const NetSession& net, const std::string& url, const std::vector<uint8_t>& key,
                         std::string* text) {
    HttpRequest request(net);
    if (!OpenUrl(net, url, &request) || ReadBody(net, request.get(), kMaxDocumentBytes, text) != BodyEnd::Complete)
        return false;
    request.Close();
    const std::vector<uint8_t> signature = FetchSignature(net, url, *PublicKeyModulusBytes(key));
    return !signature.empty() && IsSignedBy(*text, signature, key);
}

// The first usable document of the two servers; a server that fails in any way leaves it to the next.
std::optional<UpdateDocument> FetchUpdateDocument(const NetSession& net, const UpdateSettings& s) {
    for (const ServerAddress* server : {&s.primary, &s.secondary}) {
        std::string text;
        if (net.share.CancelRequested()) return std::nullopt;
        if (!FetchSignedDocument(net, ServerUrl(*server, kVersionDocumentPath), s.publicKey, &text)) continue;
        if (std::optional<UpdateDocument> document = ReadUpdateDocument(text, s.primary, s.secondary)) return document;
    }
    return std::nullopt;
}

bool UserWantsUpdate(UpdateJob& job, const UpdateDocument& document) {
    SendToUpdateWindow(job.window, kMsgShowUpdateWindow, SW_HIDE, 0);
    // Sent, not posted: the answer comes back here. A main window that is gone answers 0, which is No.
    const int answer =
        SendMessageBoxRequest(job.mainWindow, Utf8ToWide(NewVersionQuestion(document.version, document.build)),
                              Utf8ToWide(kUpdateQuestionCaption), MB_YESNO | MB_ICONQUESTION);
    return answer == IDYES && !job.share.CancelRequested();
}

// The first candidate that opens; null when none does or Cancel came.
const DownloadCandidate* OpenDownload(const NetSession& net, const std::vector<DownloadCandidate>& candidates,
                                      HttpRequest* request) {
    for (const DownloadCandidate& candidate : candidates)
        if (OpenUrl(net, candidate.url, request)) return &candidate;
    return nullptr;
}

void ReceiveBody(UpdateJob& job, const NetSession& net, HINTERNET request, HANDLE out, DownloadedFile* file) {
    DownloadFacts& f = file->facts;
    const std::optional<uint64_t> total = f.hasContentLength ? f.contentLength : std::nullopt;
    std::vector<uint8_t> piece(16384);
    while (!net.share.CancelRequested()) {
        DWORD got = 0, written = 0;
        if (!net.api.InternetReadFile(request, piece.data(), static_cast<DWORD>(piece.size()), &got)) {
            f.readFailed = true;
            return;
        }
        if (got == 0) return;
        if (f.received + got > kMaxDownloadBytes) {
            f.overCap = true;
            return;
        }
        const size_t keep = std::min<size_t>(got, kPeHeadBytes - std::min<size_t>(file->head.size(), kPeHeadBytes));
        file->head.insert(file->head.end(), piece.begin(), piece.begin() + static_cast<ptrdiff_t>(keep));
        if (!WriteFile(out, piece.data(), got, &written, nullptr) || written != got) {
            f.writeFailed = true;
            return;
        }
        f.received += got;
        if (total) SetProgress(job, DownloadPercent(f.received, *total));
        SetLabel(job, DownloadingLabel(f.received, total));
    }
}

enum class DownloadEnd { Received, NotStarted, NoTempFile, Cancelled };

DownloadEnd Download(UpdateJob& job, const NetSession& net, const UpdateDocument& document,
                     const ServerAddress& primary, DownloadedFile* file) {
    HttpRequest request(net);
    const std::vector<DownloadCandidate> candidates = DownloadCandidates(document, primary);
    const DownloadCandidate* chosen = OpenDownload(net, candidates, &request);
    if (net.share.CancelRequested()) return DownloadEnd::Cancelled;
    if (!chosen) return DownloadEnd::NotStarted;
    file->url = chosen->url;
    file->mode = chosen->mode;
    file->path = TempFolder() + (file->mode == InstallMode::Installer ? L"Kolvex_Setup_" : L"Kolvex_update_") +
                 std::to_wstring(GetTickCount()) + L".exe";
    ReadContentLength(net, request.get(), &file->facts);
    // An announced size over the limit is refused without fetching the part that would fit.
    if (file->facts.contentLength.value_or(0) > kMaxDownloadBytes) {
        file->facts.overCap = true;
        return DownloadEnd::Received;
    }
    ScopedHandle out(
        CreateFileW(file->path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) return DownloadEnd::NoTempFile;
    ReceiveBody(job, net, request.get(), out.get(), file);
    return net.share.CancelRequested() ? DownloadEnd::Cancelled : DownloadEnd::Received;
}

void DownloadAndInstall(UpdateJob& job, const NetSession& net, const UpdateSettings& s,
                        const UpdateDocument& document) {
    SendToUpdateWindow(job.window, kMsgShowUpdateWindow, SW_SHOW, 0);
    SetLabel(job, kLabelConnecting);
    SendToUpdateWindow(job.progress, PBM_SETRANGE32, 0, 100);
    SetProgress(job, 0);
    DownloadedFile file;
    switch (Download(job, net, document, s.primary, &file)) {
    case DownloadEnd::NotStarted: return FinishCheck(job, kMsgDownloadNotStarted, kUpdateErrorCaption, MB_ICONWARNING);
    case DownloadEnd::NoTempFile: return FinishCheck(job, kMsgTempFileFailed, kUpdateErrorCaption, MB_ICONWARNING);
    case DownloadEnd::Cancelled: DeleteFileW(file.path.c_str()); return FinishCheck(job);
    case DownloadEnd::Received: break;
    }
    SetLabel(job, kLabelApplying);
    SetProgress(job, 100);
    const std::vector<uint8_t> signature = FetchSignature(net, file.url, *PublicKeyModulusBytes(s.publicKey));
    HANDLE verified = nullptr;
    const DownloadVerdict verdict =
        CheckDownload(file, signature, s.publicKey, ExpectedSha256(document, file.mode), &verified);
    if (verdict != DownloadVerdict::Accepted) {
        DeleteFileW(file.path.c_str()); // never started, with any verb
        return FinishCheck(job, DownloadVerdictMessage(verdict), kUpdateErrorCaption, MB_ICONWARNING);
    }
    // Cancel counts until the first step that changes something outside the temporary folder.
    if (!job.share.Commit()) {
        CloseHandle(verified);
        DeleteFileW(file.path.c_str());
        return FinishCheck(job);
    }
    SendToUpdateWindow(job.window, kMsgUpdateCommitted, 0, 0);
    if (file.mode == InstallMode::Installer)
        StartInstaller(job, file, verified);
    else
        ReplaceProgram(job, file, verified);
}

void CheckInSession(UpdateJob& job, const NetSession& net, const UpdateSettings& s) {
    const std::optional<UpdateDocument> document = FetchUpdateDocument(net, s);
    if (job.share.CancelRequested()) return FinishCheck(job);
    if (!document) return FinishCheck(job, kMsgNoUpdateInformation, kUpdateCaption, MB_ICONWARNING);
    if (!IsNewerThanProgram(document->version, document->build))
        return FinishCheck(job, AlreadyLatestMessage(document->version, document->build).c_str(), kUpdateCaption,
                           MB_ICONINFORMATION);
    if (!UserWantsUpdate(job, *document)) return FinishCheck(job);
    DownloadAndInstall(job, net, s, *document);
}

void RunCheck(UpdateJob& job) {
    RemoveOldDownloads();
    WinInetApi api;
    if (!api.Load()) return FinishCheck(job, kMsgWinInetMissing, kUpdateCaption, MB_ICONWARNING);
    const UpdateSettings settings = ReadUpdateSettings();
    // Without a key nothing the servers say can be trusted, so none is asked.
    if (settings.publicKey.empty()) return FinishCheck(job, kMsgNotVerified, kUpdateErrorCaption, MB_ICONWARNING);
    HINTERNET session = OpenInternetSession(api, job.timeoutMs);
    if (!session) return FinishCheck(job, kMsgInternetOpenFailed, kUpdateCaption, MB_ICONWARNING);
    if (!job.share.AdoptSession(session, CloseInternetHandle, &api)) {
        api.InternetCloseHandle(session);
        return FinishCheck(job);
    }
    const NetSession net{api, job.share, session};
    CheckInSession(job, net, settings);
    job.share.CloseSession(); // before the library goes
}

} // namespace

DWORD WINAPI RunUpdateCheck(void* param) {
    JobHold<UpdateJob> hold(static_cast<UpdateJob*>(param));
    RunCheck(*hold.get());
    return 0;
}
