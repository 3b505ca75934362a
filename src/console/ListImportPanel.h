#pragma once

#include "CodeList.h"
#include "Enrolment.h"
#include "FileJobPanel.h"

#include <optional>
#include <string>
#include <vector>

namespace lettore {

// "Importa lista…": a list of badge codes from a file (CodeList) onto the
// selected reader. The list is read when it is chosen, and again by
// "Confronta", its problems named line by line (nothing is sent while any
// remain); "Confronta" checks each code on the reader and shows the
// difference, and only after it "Scrivi" adds the missing codes and reads
// every code back, naming each mismatch. A write stopped or cut
// short resumes from its journal beside the file, as the command line's.
class ListImportPanel : public FileJobPanel {
    Q_OBJECT

public:
    explicit ListImportPanel(Context context, QObject* parent = nullptr);

    // Reads the file named in the file box.
    void loadList();
    // "Confronta": the list read again, then the codes listed on the reader
    // and those missing.
    void compare();
    // "Scrivi": the missing codes added, every code read back.
    void write();

    // A problem of the list in the console's words.
    static QString problemText(const CodeList::Issue& issue);

private:
    void updateButtons() override;
    void showStep(const Enrolment::Progress& step);

    QPushButton* m_compare;
    QPushButton* m_write;
    std::optional<CodeList> m_list;  // a list without problems, once read
    // The codes the last comparison of this list found missing; set once
    // one finished.
    std::optional<std::vector<std::string>> m_missing;
};

}  // namespace lettore
