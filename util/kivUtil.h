// kivUtil: the small helpers every part of Lumitag leans on.
//
// Texts are std::string holding UTF-8. The text functions work on characters
// (code points), so a multi-byte character is never cut or half replaced; a
// byte that is not part of a valid UTF-8 sequence is passed through as it is.
// Paths use "/" and folders returned here end with "/".
#pragma once

#include <cstdarg>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace kivUtil {

// The application title: window caption at rest, message box caption, trace
// file name prefix. Defined here only.
constexpr const char* ApplicationTitle() { return "Lumitag"; }

// ---- text functions -------------------------------------------------------

// À Á Â Ä à á â ä → a, Ç → C, ç → c, È..Ë è..ë → e, Ì..Ï ì..ï → i,
// Ò Ó Ô Ö ò ó ô ö → o, Ù..Ü ù..ü → u, æ → ae, œ → oe; everything else stays.
std::string FoldAccents(const std::string& text);
// Every space (0x20) becomes "_"; tabs and no-break spaces stay.
std::string SpacesToUnderscores(const std::string& text);
// The rename table: " → '' * → ¤ / → - \ → - : → . < → [ > → ] ? → ¿ | → !
std::string ReplaceInvalidChars(const std::string& text);
// The save-dialog table, applied step by step: \\ → \, then / * ? " → -,
// < → [, > → ], | → -, : → -.
std::string CleanDialogFileName(const std::string& text);
// The text after the last "." of the whole argument (folders included), or "".
std::string FileExtension(const std::string& fileName);
// The argument cut just before its last "."; unchanged without a ".".
std::string FileNameWithoutExtension(const std::string& fileName);
// Turns an EXIF text into UTF-8. The text ends at its first NUL. Valid UTF-8
// sequences are kept; every other byte is read as its Windows-1252
// character. An unfinished sequence at the very end is a character cut short
// and is dropped when the text is UTF-8 (it holds a valid multi-byte sequence
// or the byte 0xC3); in a text with no sign of UTF-8 those last bytes are
// Windows-1252 letters too, so 'Café' stored in Windows-1252 keeps its é.
std::string Utf8ToAnsi(const std::string& text);

// printf into a string of at most maxBytes bytes, cut on a character boundary.
std::string FormatTextV(std::size_t maxBytes, const char* format, va_list args);
// Cuts text to at most maxBytes bytes without splitting a UTF-8 sequence.
std::string CutToBytes(const std::string& text, std::size_t maxBytes);

// ---- trace file -----------------------------------------------------------

// The trace file: DesktopFolder() + "Lumitag-trace.txt", or that name in the
// current folder when there is no desktop folder.
std::string TraceFilePath();

// Writes the trace file of one run: the first write of the run (or a header)
// truncates the file, later ones append; each write opens and closes the
// file, so the file is complete after every message. A write that fails is
// lost without notice. Thread-safe.
class TTraceWriter {
public:
    void WriteHeader(const std::string& path);
    void Write(const std::string& path, const std::string& message);

private:
    void Put(const std::string& path, const std::string& text, bool truncate);
    std::mutex mutex_;
    bool writtenThisRun_ = false;
};

// Appends a message (cut to 4095 bytes) to the trace file; the first call of
// a run starts the file anew. The messages carry their own line ends.
void WriteTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Starts the trace file anew with the header "Lumitag TRACE FILE\n\n".
void WriteTrace();

// ---- users, folders and programs ------------------------------------------

// The full name of the user's account (GECOS up to the first comma), "" when
// the account has none; the login name when the account cannot be looked up.
std::string DefaultUserName();
// The account name of the process's user, or "".
std::string LoginUserName();
// The full-name part of a GECOS field: the text before the first comma.
std::string FullNameFromGecos(const char* gecos);
// True when the locale of the environment (LC_ALL, LC_MESSAGES, LANG, the
// first that is set) speaks French.
bool SystemLanguageIsFrench();

std::string TempFolder();
// The full path of the program that the desktop opens such files with, from
// an existing file or an extension without dot ("jpg"); "" when none.
std::string FindAssociatedProgram(const std::string& fileOrExtension);
// The first program path of a desktop entry's Exec value, resolved through
// PATH when it has no folder part; "" when it cannot be found.
std::string ProgramOfExecLine(const std::string& exec);

// The path with its last component spelled as the folder stores it, found
// ignoring case; the path unchanged when nothing matches. A trailing "/" is
// kept.
std::string TrueCasePath(const std::string& path);
// The folder of the running executable.
std::string ProgramFolder();
// A path beginning with "/" is absolute; any other, "" included, is taken
// relative to ProgramFolder(). The result ends with "/".
std::string AbsoluteFolder(const std::string& folder);

enum ListFolderMask : unsigned {
    lfFiles = 1u,    // everything that is not a folder
    lfFolders = 2u,  // folders, and symbolic links to folders
    lfAnyEntry = lfFiles | lfFolders,
};
// Replaces entries by the full paths of the folder's entries that the mask
// selects ("." and ".." left out, hidden ones included), in the order the
// file system gives them. False, with entries empty, when the folder cannot
// be read.
bool ListFolder(const std::string& folder, unsigned mask, std::vector<std::string>& entries);
// The length of the prefix of path that equals root ignoring case, or 0.
std::size_t RootPrefixLength(const std::string& path, const std::string& root);

// The desktop and pictures folders of the user ("" when they do not exist),
// and the folder of installed programs.
std::string DesktopFolder();
std::string PicturesFolder();
std::string ProgramFilesFolder();

// ---- scope guards ---------------------------------------------------------

// Saves a bool and writes the saved value back on every exit of the scope.
// The owner sets the new value right after constructing the guard.
class TBoolSaver {
public:
    explicit TBoolSaver(bool& flag) : flag_(flag), saved_(flag) {}
    ~TBoolSaver() { flag_ = saved_; }
    TBoolSaver(const TBoolSaver&) = delete;
    TBoolSaver& operator=(const TBoolSaver&) = delete;

private:
    bool& flag_;
    const bool saved_;
};

}  // namespace kivUtil
