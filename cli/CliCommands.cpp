#include "cli/CliCommands.h"

#include <QDir>

#include <cstring>
#include <sys/stat.h>

#include "app/Kivlocal.h"
#include "app/LumitagOptions.h"
#include "catalogue/FileDates.h"
#include "catalogue/PhotoEdit.h"
#include "catalogue/Titem.h"
#include "cli/CliOutput.h"
#include "exif/Exif_stl.h"
#include "rename/RenameBatch.h"

namespace lumitag::cli {

namespace {

std::string Prefix(const char* command)
{
    return std::string("lumitag-cli ") + command + ": ";
}

// A localised text with its one "%s" filled.
std::string Filled(const std::string& key, const std::string& value)
{
    std::string text = TextOfKey(key);
    if (const size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

std::string WithDelimiter(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string CurrentFolder()
{
    return WithDelimiter(QDir::currentPath().toStdString());
}

enum class EntryKind { Missing, Folder, File };

EntryKind KindOf(const std::string& path)
{
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0)
        return EntryKind::Missing;
    return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::File;
}

// The folder argument resolved as the window resolves its folder box:
// against the current folder, ending with "/". Empty when it names no folder.
std::string ExistingFolder(const char* command, const std::string& given, std::ostream& err)
{
    const std::string root = RenameRootFolder(given);
    const EntryKind kind = KindOf(root.size() > 1 ? root.substr(0, root.size() - 1) : root);
    if (kind == EntryKind::Folder)
        return root;
    err << Prefix(command)
        << (kind == EntryKind::Missing ? Filled("_folder_does_not_exists", root)
                                       : "'" + given + "' is a file, not a folder")
        << '\n';
    return {};
}

// Every named file must exist before anything is read or changed.
bool CheckFilesExist(const char* command, const std::vector<std::string>& files, std::ostream& err)
{
    for (const auto& file : files) {
        const EntryKind kind = KindOf(FullFileName(file, CurrentFolder()));
        if (kind == EntryKind::File)
            continue;
        err << Prefix(command) << "'" << file << "' "
            << (kind == EntryKind::Missing ? "does not exist" : "is a folder, not a file") << '\n';
        return false;
    }
    return true;
}

// The window's list order: each folder's records in scan order, then its
// sub-folders in name order, depth first, each folder entered once.
void CollectRecords(const std::string& folder, const std::string& root, bool recursive, Texif_stl& exif,
                    VisitedFolders& visited, std::vector<Titem>& all)
{
    if (!visited.Enter(folder))
        return;
    std::vector<Titem> records;
    ScanFolder(folder, root, exif, records);
    all.insert(all.end(), std::make_move_iterator(records.begin()), std::make_move_iterator(records.end()));
    if (!recursive)
        return;
    for (const auto& sub : SubFolders(folder))
        CollectRecords(sub, root, true, exif, visited, all);
}

Rows PhotoRows(const std::vector<Titem>& records)
{
    Rows rows;
    rows.columns = {{TextOfKey("_file_col"), "file"},
                    {TextOfKey("_image_description_col"), "description"},
                    {TextOfKey("_user_comment_col"), "comment"},
                    {TextOfKey("_date_time_col"), "date"},
                    {TextOfKey("_artist_col"), "artist"}};
    rows.cells.reserve(records.size());
    for (const auto& record : records) {
        const Cell date = record.hasDate ? Cell(IsoDateText(record.dateTime)) : Cell(nullptr);
        rows.cells.push_back({record.fileName, record.imageDescription, record.userComment, date, record.artist});
    }
    return rows;
}

// A record that reads "?" everywhere may also be a file that holds such
// texts; only a second read tells.
bool EngineCouldRead(const Titem& record, Texif_stl& exif, const std::string& path)
{
    const bool looksUnreadable =
        record.imageDescription == "?" && record.userComment == "?" && record.artist == "?" && !record.hasDate;
    return !looksUnreadable || exif.read_jpeg(path);
}

// The date that the window's Date field holds at the end of a validation:
// the edited date, or the file's own when the date was not edited.
std::optional<DateTimeValue> DateForFile(const SetRequest& request, Texif_stl& exif, const std::string& path,
                                         EditOutcome outcome, bool& readFailed)
{
    readFailed = false;
    if (request.edits.date) {
        if (!*request.edits.date)
            return std::nullopt;
        return EncodeDateTime(**request.edits.date);
    }
    // Without edits the file was not read yet.
    if (outcome == EditOutcome::NothingEdited && !exif.read_jpeg(path)) {
        readFailed = true;
        return std::nullopt;
    }
    const DateTimeValue value = GetExifDate(exif);
    return value == kNoDate ? std::nullopt : std::optional<DateTimeValue>(value);
}

struct SetResult {
    std::string text;
    bool failed = false;
};

SetResult OutcomeText(EditOutcome outcome)
{
    switch (outcome) {
    case EditOutcome::Wrote: return {"wrote"};
    case EditOutcome::NothingEdited:
    case EditOutcome::Unchanged: return {"unchanged"};
    case EditOutcome::ReadFailed: return {"failed: the EXIF information could not be read; the file is unchanged", true};
    case EditOutcome::WriteFailed: return {"failed: the file could not be written; it is unchanged", true};
    }
    return {"failed", true};
}

SetResult SetOneFile(const SetRequest& request, Texif_stl& exif, const std::string& path)
{
    const EditOutcome outcome = ApplyPhotoEdits(exif, path, request.edits);
    SetResult result = OutcomeText(outcome);
    // The window sets the file date after the write, whether or not
    // anything was written, but not when the EXIF could not be read.
    if (!request.fileDate || outcome == EditOutcome::ReadFailed)
        return result;
    bool readFailed = false;
    const auto date = DateForFile(request, exif, path, outcome, readFailed);
    if (readFailed)
        return {"failed: the EXIF information could not be read, so the file date is not set", true};
    if (!date) {
        result.text += ", no date to set the file date from";
        return result;
    }
    const std::string failure = SetFileDates(*date, path);
    if (failure.empty()) {
        result.text += ", file date set";
    } else {
        const std::string done = outcome == EditOutcome::Wrote ? "the EXIF was written, but " : "";
        result = {"failed: " + done + "the file date was not set (" + failure + ")", true};
    }
    return result;
}

Rows RenameRows(const std::vector<RenameRow>& renames)
{
    Rows rows;
    rows.columns = {{TextOfKey("_file_col"), "file"},
                    {TextOfKey("_if_renamed_col"), "new_name"},
                    {TextOfKey("_done_col"), "status"},
                    {"Collision", "collision"}};
    rows.cells.reserve(renames.size());
    for (const auto& row : renames)
        rows.cells.push_back({row.fileName, row.newName, StatusText(row.status), row.duplicate});
    return rows;
}

// The settings of the rename tab: the cleaning boxes and the language show
// what the options file holds unless the command line says otherwise.
RenameSettings SettingsOf(const RenameRequest& request, const std::string& root)
{
    TLumitagOptions options;
    options.Load();  // and never saved
    SetCurrentLanguage(request.language.value_or(options.language));
    RenameSettings settings;
    settings.pattern = request.pattern;
    settings.rootFolder = root;
    settings.recursive = request.recursive;
    settings.startIndex = request.startIndex;
    settings.cleaning.foldAccents = request.foldAccents.value_or(options.remove_accentuated_letters);
    settings.cleaning.spacesToUnderscores = request.spacesToUnderscores.value_or(options.remove_spaces);
    return settings;
}

struct StreamTracer : Texif_stl::tracer {
    explicit StreamTracer(std::ostream& out) : out(out) {}
    void trace(const std::string& text) override { out << text; }
    std::ostream& out;
};

}  // namespace

int RunList(const ListRequest& request, std::ostream& out, std::ostream& err)
{
    const std::string root = ExistingFolder("list", request.folder, err);
    if (root.empty())
        return kExitBadInput;
    Texif_stl exif;
    VisitedFolders visited;
    std::vector<Titem> records;
    CollectRecords(root, root, request.recursive, exif, visited, records);
    WriteRows(out, PhotoRows(records), request.format);
    return kExitDone;
}

int RunShow(const ShowRequest& request, std::ostream& out, std::ostream& err)
{
    if (!CheckFilesExist("show", request.files, err))
        return kExitBadInput;
    const std::string root = CurrentFolder();
    Texif_stl exif;
    std::vector<Titem> records;
    int status = kExitDone;
    for (const auto& file : request.files) {
        records.emplace_back(file, root, exif);
        const std::string path = FullFileName(file, root);
        if (!EngineCouldRead(records.back(), exif, path)) {
            err << Prefix("show") << Filled("_error_reading_exif_from_file", path) << '\n';
            status = kExitFileFailed;
        }
    }
    WriteRows(out, PhotoRows(records), request.format);
    return status;
}

int RunSet(const SetRequest& request, std::ostream& out, std::ostream& err)
{
    if (!CheckFilesExist("set", request.files, err))
        return kExitBadInput;
    const std::string root = CurrentFolder();
    Texif_stl exif;
    int status = kExitDone;
    for (const auto& file : request.files) {
        const SetResult result = SetOneFile(request, exif, FullFileName(file, root));
        out << file << ": " << result.text << '\n';
        if (result.failed)
            status = kExitFileFailed;
    }
    return status;
}

int RunRename(const RenameRequest& request, std::ostream& out, std::ostream& err)
{
    const std::string root = ExistingFolder("rename", request.folder, err);
    if (root.empty())
        return kExitBadInput;
    RenameSettings settings = SettingsOf(request, root);
    Texif_stl exif;
    // As in the window: a preview with its collision check, and only when
    // nothing collides, the apply, which walks the folders afresh.
    std::vector<RenameRow> rows = RenameTree(settings, exif);
    if (!MarkDuplicates(rows, root)) {
        WriteRows(out, RenameRows(rows), request.format);
        err << Prefix("rename") << TextOfKey("_can_not_apply_warn") << '\n';
        return kExitFileFailed;
    }
    if (!request.apply) {
        WriteRows(out, RenameRows(rows), request.format);
        return kExitDone;
    }
    settings.apply = true;
    rows = RenameTree(settings, exif);
    WriteRows(out, RenameRows(rows), request.format);
    int status = kExitDone;
    for (const auto& row : rows) {
        if (row.status != RenameStatus::Failed)
            continue;
        err << Prefix("rename") << "'" << row.fileName << "' was not renamed to '" << row.newName
            << "': " << std::strerror(row.error) << '\n';
        status = kExitFileFailed;
    }
    return status;
}

int RunTrace(const TraceRequest& request, std::ostream& out, std::ostream& err)
{
    if (!CheckFilesExist("trace", {request.file}, err))
        return kExitBadInput;
    const std::string path = FullFileName(request.file, CurrentFolder());
    StreamTracer tracer(out);
    Texif_stl exif;
    exif.tracer = &tracer;
    const bool read = exif.read_jpeg(path);
    out.flush();
    if (read)
        return kExitDone;
    err << Prefix("trace") << Filled("_error_reading_exif_from_file", path) << '\n';
    return kExitFileFailed;
}

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const ParseResult parsed = ParseCommandLine(arguments);
    if (!parsed.request) {
        err << parsed.error << '\n';
        return kExitBadInput;
    }
    struct Runner {
        std::ostream& out;
        std::ostream& err;
        int operator()(const ListRequest& r) const { return RunList(r, out, err); }
        int operator()(const ShowRequest& r) const { return RunShow(r, out, err); }
        int operator()(const SetRequest& r) const { return RunSet(r, out, err); }
        int operator()(const RenameRequest& r) const { return RunRename(r, out, err); }
        int operator()(const TraceRequest& r) const { return RunTrace(r, out, err); }
        int operator()(const TextRequest& r) const
        {
            out << r.text;
            return kExitDone;
        }
    };
    return std::visit(Runner{out, err}, *parsed.request);
}

}  // namespace lumitag::cli
