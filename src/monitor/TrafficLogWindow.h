#pragma once

#include "TrafficLogFilter.h"
#include "TrafficLogModel.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace lettore {

// The traffic log window, "Registro comunicazioni": one row per frame or
// stray run of bytes, time-out and port failure, the newest last; filters
// by direction, address and kind; pause, clear, and saving the rows shown
// as CSV or plain text. It shows the model it is given, which goes on
// filling while the window is closed.
class TrafficLogWindow : public QWidget {
    Q_OBJECT

public:
    explicit TrafficLogWindow(TrafficLogModel& model, QWidget* parent = nullptr);

    // The rows shown, in order, written to `path`. False when it could not
    // be written; the file is then left as it was.
    bool saveCsv(const QString& path) const;
    bool saveText(const QString& path) const;

    const TrafficLogFilter& shown() const { return m_filter; }

private:
    void applyFilter();
    void showCounts();
    void askAndSave(const QString& caption, const QString& filter, bool csv);

    TrafficLogModel& m_model;
    TrafficLogFilter m_filter;
    QComboBox* m_direction;
    QLineEdit* m_address;
    QComboBox* m_kind;
    QPushButton* m_pause;
    QTableView* m_table;
    QLabel* m_counts;
};

}  // namespace lettore
