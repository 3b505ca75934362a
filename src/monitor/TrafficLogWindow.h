#pragma once

#include "TrafficLogFilter.h"
#include "TrafficLogModel.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTabWidget;
class QWidget;

namespace lettore {

// The traffic log window, "Registro comunicazioni": one row per frame or
// stray run of bytes, time-out and port failure, the newest last, each
// with the time since the row before, what it means within its exchange
// and, on an answer, its latency; filters by direction, address and kind;
// find, copy as text or CSV, pause, clear, saving the rows shown as CSV,
// plain text or a capture Wireshark opens, and opening such a capture
// again; statistics per reader on a tab of their own. It shows the model
// it is given, which goes on filling while the window is closed, and
// remembers its size, place and column widths.
class TrafficLogWindow : public QWidget {
    Q_OBJECT

public:
    explicit TrafficLogWindow(TrafficLogModel& model, QWidget* parent = nullptr);
    // A window still open when the program ends keeps its layout too.
    ~TrafficLogWindow() override;

    // The rows shown, in order, written to `path`. False when it could not
    // be written; the file is then left as it was.
    bool saveCsv(const QString& path) const;
    bool saveText(const QString& path) const;
    bool saveCapture(const QString& path) const;
    // The rows of a capture saveCapture() wrote, in place of the model's;
    // false, and the model unchanged, when `path` holds no such capture.
    bool openCapture(const QString& path);

    // The selected rows, as lines of text, or as CSV records under the
    // header.
    QString selectedText() const;
    QString selectedCsv() const;
    // Selects the next (or previous) shown row, after the current one,
    // whose texts hold `text`, case aside; false when none does.
    bool find(const QString& text, bool backwards = false);

    const TrafficLogFilter& shown() const { return m_filter; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyFilter();
    void showCounts();
    void showStatistics();
    void askAndSave(const QString& caption, const QString& filter,
                    bool (TrafficLogWindow::*save)(const QString&) const);
    void askAndOpen();
    void askAndClear();
    void showMenu(const QPoint& at);
    void copy(bool csv) const;
    std::vector<int> selectedRows() const;
    void sizeColumns();
    void restoreLayout();
    void saveLayout() const;

    TrafficLogModel& m_model;
    TrafficLogFilter m_filter;
    QComboBox* m_direction;
    QLineEdit* m_address;
    QComboBox* m_kind;
    QPushButton* m_pause;
    QTabWidget* m_tabs;
    QTableView* m_table;
    QTableWidget* m_statistics;
    QWidget* m_findBar;
    QLineEdit* m_findText;
    QLabel* m_counts;
    bool m_placed = false;
};

}  // namespace lettore
