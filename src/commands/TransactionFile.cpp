#include "TransactionFile.h"

#include "ByteText.h"
#include "Csv.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace lettore {

namespace {

// `length` bytes of `file` from `offset`; fewer where it ends.
std::string bytesAt(const std::filesystem::path& file, std::uintmax_t offset, std::size_t length)
{
    std::ifstream in(file, std::ios::binary);
    std::string bytes(length, '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(length));
    bytes.resize(in ? length : static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

std::uintmax_t sizeOf(const std::filesystem::path& file)
{
    std::error_code missing;
    const std::uintmax_t size = std::filesystem::file_size(file, missing);
    return missing ? 0 : size;
}

// A path as UTF-8 text, and back, whatever the system's own encoding.
std::string pathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path pathOf(const std::string& text) { return std::u8string(text.begin(), text.end()); }

// A record's status and codes as a cell: bytes outside printable ASCII
// escaped, so no byte a reader sends can break the row.
std::string cell(const std::string& bytes) { return ByteText::escape(bytes); }

}  // namespace

const std::string& TransactionFile::header()
{
    static const std::string columns = Csv::record({"reader", "downloaded", "status", "code", "repeated"});
    return columns;
}

std::filesystem::path TransactionFile::unconfirmedPath(const std::filesystem::path& file, const std::string& readerName)
{
    std::string name = "lettore-unconfirmed-" + readerName;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_')
            c = '-';
    return std::filesystem::absolute(file).parent_path() / name;
}

std::optional<std::size_t> TransactionFile::countRecords(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line + "\n" != header())
        return std::nullopt;
    std::size_t rows = 0;
    while (std::getline(in, line))
        ++rows;
    return rows;
}

bool TransactionFile::open(const std::filesystem::path& file, const std::string& readerName)
{
    m_path = std::filesystem::absolute(file);
    m_unconfirmed = unconfirmedPath(file, readerName);
    const std::uintmax_t size = sizeOf(file);
    if (size > 0 && bytesAt(file, 0, header().size()) != header()) {
        m_error = "its first line is not \"" + header().substr(0, header().size() - 2) + "\": not a transactions file";
        return false;
    }
    if (!m_file.open(file)) {
        m_error = m_file.error();
        return false;
    }
    // A row cut short (the machine stopped while writing it) is ended, so
    // the next one starts on a line of its own.
    const std::string start = size == 0 ? header() : bytesAt(file, size - 1, 1) != "\n" ? "\r\n" : "";
    if (!start.empty() && !(m_file.append(start) && m_file.flush())) {
        m_error = m_file.error();
        return false;
    }
    // The note: the file, its size before the row, the record, the row.
    std::ifstream note(m_unconfirmed, std::ios::binary);
    std::string lines[4];
    for (std::string& line : lines)
        std::getline(note, line);
    const auto noted = ByteText::unescape(lines[0]);
    const auto data = ByteText::unescape(lines[2]);
    const auto row = ByteText::unescape(lines[3]);
    const bool sized = !lines[1].empty() && lines[1].find_first_not_of("0123456789") == std::string::npos;
    // Only a row that reached its file can come again as a repeat.
    if (note && noted && data && row && sized && bytesAt(pathOf(*noted), std::stoull(lines[1]), row->size()) == *row)
        m_expected = *data;
    return true;
}

bool TransactionFile::append(TransactionRecord& record)
{
    const std::string data = record.status + record.code;
    if (m_expected)
        record.repeated = *m_expected == data;
    m_expected.reset();
    const std::string row = Csv::record({std::to_string(record.reader), record.downloaded, cell(record.status),
                                         cell(record.code), record.repeated ? "yes" : ""});
    const std::string note = ByteText::escape(pathText(m_path)) + "\n" + std::to_string(sizeOf(m_path)) + "\n"
                             + ByteText::escape(data) + "\n" + ByteText::escape(row) + "\n";
    if (!DurableFile::replace(m_unconfirmed, note, m_error)) {
        m_error = m_unconfirmed.string() + ": " + m_error;
        return false;
    }
    if (m_file.append(row))
        return true;
    m_error = m_file.error();
    return false;
}

bool TransactionFile::flush()
{
    if (m_file.flush())
        return true;
    m_error = m_file.error();
    return false;
}

void TransactionFile::confirmed() { forgetUnconfirmed(); }

void TransactionFile::drained()
{
    m_expected.reset();
    forgetUnconfirmed();
}

void TransactionFile::forgetUnconfirmed()
{
    std::error_code ignored;
    std::filesystem::remove(m_unconfirmed, ignored);
}

}  // namespace lettore
