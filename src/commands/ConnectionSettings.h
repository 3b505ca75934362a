#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace lettore {

// The three connection settings kept in Seriale.cfg between runs: port
// number, baud rate text and terminal address. The file holds three lines,
// each ended by CR LF: " 1 ", "9600", " 0 ".
struct ConnectionSettings {
    static constexpr const char* FileName = "Seriale.cfg";
    // The most of the file that is read: three short lines need far less.
    static constexpr std::size_t MaxFileBytes = 4096;

    // What load() found at the file's place.
    enum class FileState {
        Read,  // a regular file, read
        Missing,  // nothing there (a link to nothing included)
        Unreadable,  // something there that cannot be read: no permission,
        // not a regular file, an error while reading
    };

    int16_t NSeriale = 1;
    std::string Velocita = "9600";
    int16_t Terminale = 0;

    // Reads the fields line by line. A missing file or line, or a number
    // outside -32768..32767 (one too large to read at all included), leaves
    // that setting at its default; a line that holds no number reads as 0.
    static ConnectionSettings parse(const std::string& contents);
    // Reads `file` as parse() does, but only its first MaxFileBytes, and
    // then only the whole lines among them. Anything but a regular file
    // (a folder, a named pipe, a device, a link to one) reads as the
    // defaults, so the file can never block or flood its reader. `state`,
    // when given, receives what was found: a caller that writes the file
    // back must leave an unreadable one alone, or the user's settings are
    // lost.
    static ConnectionSettings load(const std::filesystem::path& file, FileState* state = nullptr);

    // The file's three lines; numbers take a blank (or the minus sign)
    // before them and a blank after them.
    std::string text() const;
};

}  // namespace lettore
