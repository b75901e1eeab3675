// INI files read and written one key of one section at a time.
//
// Section and key names are compared ignoring case; the first section and
// the first key of a name count. Every line other than the one written is
// kept byte for byte, with the file's own line ends. A value is read back
// exactly as it was written: the writer quotes a value that starts or ends
// with a blank or is itself wrapped in double quotes, and the reader trims
// blanks and removes one pair of wrapping double quotes, so hand-written
// "key = value" lines read as expected too.
#pragma once

#include <optional>
#include <string>

namespace kivUtil {

// The value of key in section of the file at path; nothing when the file,
// the section or the key is missing or the file cannot be read.
std::optional<std::string> IniReadValue(const std::string& path, const std::string& section, const std::string& key);

// The value of key in section of the file at path; defaultValue when the
// file, the section or the key is missing or the file cannot be read.
std::string IniReadString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultValue);

// Sets key of section to value, creating the file, its folder and the
// section when they are missing. The file is replaced atomically (a
// temporary file in its folder, flushed, then renamed over it; through a
// symbolic link to its target), so a crash leaves either the old or the new
// file. Returns false and changes nothing when a name or the value holds a
// line break or NUL, a name cannot stand in an INI line, the file exists but
// cannot be read or is not writable, or a write fails.
bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);

}  // namespace kivUtil
