// The dialog's Upload: every check in order, then the profile, the rendered picture and the job.
#include <memory>
#include <string>

#include "files/image_save.h"
#include "sftp/sftp_dialog.h"
#include "sftp/sftp_job.h"
#include "sftp/sftp_temp.h"
#include "sftp/sftp_text_core.h"
#include "shell/dialog_frame.h"
#include "base/app_windows.h"

namespace {

struct TypedFields {
    std::wstring host, port, user, password, keyPath, remoteDir, fileName;
};

struct FieldLimit {
    int id;
    std::wstring TypedFields::*text;
    size_t maxChars;
};
constexpr FieldLimit kFields[] = {
    {kSftpHostId, &TypedFields::host, kSftpHostMax},
    {kSftpPortId, &TypedFields::port, 15},
    {kSftpUserId, &TypedFields::user, kSftpUserMax},
    {kSftpPasswordId, &TypedFields::password, kSftpPasswordMax},
    {kSftpKeyFileId, &TypedFields::keyPath, kSftpKeyPathMax},
    {kSftpRemoteDirId, &TypedFields::remoteDir, kSftpRemoteDirMax},
    {kSftpFileNameId, &TypedFields::fileName, kSftpFileNameMax},
};

int FieldId(SftpField field) {
    switch (field) {
    case SftpField::Host: return kSftpHostId;
    case SftpField::User: return kSftpUserId;
    case SftpField::Password: return kSftpPasswordId;
    case SftpField::KeyFile: return kSftpKeyFileId;
    case SftpField::RemoteDir: return kSftpRemoteDirId;
    case SftpField::Filename: return kSftpFileNameId;
    case SftpField::None: break;
    }
    return 0;
}

void Refuse(HWND dialog, const std::wstring& text, int focusId) {
    SftpMessageBox(dialog, text, L"Input Required", MB_OK | MB_ICONWARNING, focusId);
}

// Whole texts: a field is never cut, it is refused when it holds more than an upload takes.
bool ReadTypedFields(HWND dialog, TypedFields* f) {
    for (const FieldLimit& limit : kFields) {
        f->*limit.text = DialogItemText(dialog, limit.id);
        if ((f->*limit.text).size() > limit.maxChars) {
            Refuse(dialog, L"Upload settings are too long.", limit.id);
            return false;
        }
    }
    if (f->host.empty()) {
        Refuse(dialog, L"Please enter the SFTP host address.", kSftpHostId);
        return false;
    }
    if (f->user.empty()) {
        Refuse(dialog, L"Please enter the username.", kSftpUserId);
        return false;
    }
    return true;
}

bool HaveTool(HWND dialog, SftpTool* tool) {
    *tool = DetectSftpTool();
    if (tool->kind != SftpToolKind::None) return true;
    SftpMessageBox(dialog,
                   L"No SFTP tool was detected on this system.\r\n\r\nOptions to enable SFTP upload:\r\n1) Windows "
                   L"10/11: Install OpenSSH Client via Settings -> Apps -> Optional features\r\n2) Place 'psftp.exe' "
                   L"(free PuTTY SFTP tool) into the Kolvex folder.",
                   L"SFTP Tool Not Found", MB_OK | MB_ICONWARNING, 0);
    return false;
}

// What the job will build, tried with the longest names it can get, so that nothing is saved or rendered
// for an upload that would be refused.
bool UsableForUpload(HWND dialog, const SftpUploadJob& job, const std::wstring& profileName) {
    if (!profileName.empty()) {
        if (const ProfileNameProblem p = CheckProfileName(profileName); p != ProfileNameProblem::None) {
            SftpMessageBox(dialog, ProfileNameMessage(p), L"Profile Name Required", MB_OK | MB_ICONWARNING,
                           kSftpProfileId);
            return false;
        }
    }
    SftpCommandInput in;
    in.kind = job.tool.kind;
    in.toolPath = job.tool.path;
    in.port = job.port;
    in.fields = FieldsOf(job);
    in.lookalike = AnsiTurnsIntoAscii;
    const std::wstring stem = SftpTempFolder() + SftpTempStem(0xFFFFFFFFu, 0xFFFFFFFFu);
    in.scriptPath = in.passwordFile = stem + L"batch.txt";
    in.localPicture = in.scriptLocalPicture = stem + L"temp.jpeg";
    in.password = job.password.empty() ? PasswordPass::None : PasswordPass::CommandLine;
    SftpCommand unused;
    const SftpBuildResult r = BuildSftpCommand(in, &unused);
    if (r.error == SftpBuildError::UnusableField) Refuse(dialog, UnusableFieldMessage(r.field), FieldId(r.field));
    if (r.error == SftpBuildError::TooLong) Refuse(dialog, L"Upload settings are too long.", kSftpFileNameId);
    return r.error != SftpBuildError::UnusableField && r.error != SftpBuildError::TooLong;
}

void SaveTypedProfile(HWND dialog, const std::wstring& name) {
    if (name.empty()) return;
    const SftpProfile p = ReadSftpProfile(dialog, name);
    PutSftpProfile(&g_sftpProfiles, p);
    g_sftpProfiles.activeName = name;
    (void)SaveSftpProfile(p); // a password that could not be protected is simply not kept
}

bool RenderPicture(int format, SftpUploadJob* job) {
    if (!ReserveSftpTempPicture(UploadExtension(format), &job->tempStem, &job->tempImagePath)) return false;
    SaveResult result = SaveResult::WriteFailed;
    if (format == 1)
        result = WriteEncodedImage(job->tempImagePath, ImageFormat::Jpeg);
    else if (format == 2)
        result = WriteBmpFile(job->tempImagePath);
    else
        result = WriteEncodedImage(job->tempImagePath, ImageFormat::Png);
    if (result == SaveResult::Saved) return true;
    DeleteTempFile(job->tempImagePath);
    return false;
}

} // namespace

void OnSftpUpload(HWND dialog) {
    TypedFields typed;
    SftpTool tool;
    if (!ReadTypedFields(dialog, &typed) || !HaveTool(dialog, &tool)) return;
    auto job = std::make_unique<SftpUploadJob>();
    const int format = SelectedFormat(dialog);
    job->host = typed.host;
    job->port = ParsePort(typed.port);
    job->username = typed.user;
    job->password = typed.password;
    job->keyPath = typed.keyPath;
    job->remoteDir = typed.remoteDir;
    job->remoteFileName = UploadFileNameFor(typed.fileName, MakeUploadFileName(format), format);
    job->formatIndex = format;
    job->rememberPassword = IsDlgButtonChecked(dialog, kSftpSavePasswordId) == BST_CHECKED;
    job->tool = tool;
    job->owner = g_app.main;
    const std::wstring profileName = TrimProfileName(DialogItemText(dialog, kSftpProfileId));
    if (!UsableForUpload(dialog, *job, profileName)) return;
    SaveTypedProfile(dialog, profileName);
    if (!RenderPicture(format, job.get())) {
        SftpMessageBox(dialog, L"Failed to render image for upload.", L"Save Error", MB_OK | MB_ICONERROR, 0);
        return;
    }
    (void)StartSftpUpload(std::move(job)); // a thread that cannot start takes its picture with it
    CloseDialog(dialog);
}
