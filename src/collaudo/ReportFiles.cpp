#include "ReportFiles.h"

#include "JsonReport.h"
#include "JunitReport.h"
#include "ReportText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

namespace lettore {

std::string ReportFiles::baseName(const ReaderRecord& record)
{
    char address[8];
    std::snprintf(address, sizeof address, "%03d", record.reader.address);
    return std::string("collaudo-") + address + "-" + ReportText::stamp(record.start);
}

std::string ReportFiles::put(const std::string& name, const std::string& text,
                             std::vector<std::filesystem::path>& written) const
{
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    if (error)
        return "cannot make the folder " + m_folder.string() + ": " + error.message();
    const std::filesystem::path path = m_folder / name;
    const std::filesystem::path partial = m_folder / ("." + name + ".part");
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            const int reason = errno;
            std::filesystem::remove(partial, error);
            return "cannot write " + path.string() + ": " + std::strerror(reason);
        }
    }
    std::filesystem::rename(partial, path, error);
    if (error)
        return "cannot write " + path.string() + ": " + error.message();
    written.push_back(path);
    return {};
}

std::string ReportFiles::write(const RunInfo& run, const ReaderRecord& record,
                               std::vector<std::filesystem::path>& written) const
{
    const std::string base = baseName(record);
    for (const auto& [extension, text] :
         {std::pair{".html", HtmlReport::page(run, record)}, std::pair{".xml", JunitReport::document(run, record)},
          std::pair{".json", JsonReport::document(run, record)}})
        if (std::string refusal = put(base + extension, text, written); !refusal.empty())
            return refusal;
    return {};
}

std::string ReportFiles::writeSummary(const RunInfo& run, const std::string& start, const std::string& end,
                                      const std::vector<HtmlReport::Line>& readers,
                                      std::filesystem::path& written) const
{
    std::vector<std::filesystem::path> paths;
    std::string refusal = put("collaudo-" + ReportText::stamp(start) + "-riepilogo.html",
                              HtmlReport::summary(run, start, end, readers), paths);
    if (refusal.empty())
        written = paths.front();
    return refusal;
}

}  // namespace lettore
