#pragma once

#include "FileJobPanel.h"

namespace lettore {

// "Scarica transazioni…": every transaction the selected reader stores,
// appended to a CSV file (TransactionFile), each on the disk before the
// reader is told to drop it. Choosing the file shows how many records it
// holds already; "Scarica" counts them again, then shows each record as it
// is stored, with the count, and the totals at the end. A file that is not
// a transactions file is never written to.
class TransactionDownloadPanel : public FileJobPanel {
    Q_OBJECT

public:
    explicit TransactionDownloadPanel(Context context, QObject* parent = nullptr);

    // Counts the records of the file named in the file box; whether it can
    // be appended to.
    void countRecords();
    // "Scarica".
    void download();

private:
    void updateButtons() override;

    QPushButton* m_download;
    bool m_fileUsable = false;  // missing, or a transactions file
};

}  // namespace lettore
