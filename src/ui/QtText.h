// Code page 932 texts in the windows: the engine's bytes become QString for
// display, and typed text becomes code page 932 again.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace sifta {

// For display. Line breaks CR LF and lone CR become LF. Bytes that form no
// character show as U+FFFD.
QString FromSj(std::string_view cp932);

// Typed text as code page 932; nothing when a character has no counterpart.
std::optional<std::string> ToSj(const QString& text);

// A program text written in UTF-8 in the sources, for a window.
inline QString Ui(const char* utf8) { return QString::fromUtf8(utf8); }

// File names. A name as typed is UTF-8 text, on which the run's rules act
// (the @ and the trimming); a name the window opens at once is a path, made
// from the QString's UTF-16 without any code page on the way.
inline std::string PathBytes(const QString& path) { return path.toStdString(); }
inline std::filesystem::path FilePath(const QString& path) {
  return std::filesystem::path(path.toStdU16String());
}
inline QString PathText(std::string_view path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

}  // namespace sifta
