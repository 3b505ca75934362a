#pragma once

#include "TestPlan.h"
#include "TestRecord.h"

#include <QWidget>

#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lettore {

class ConsoleGate;
class TrafficCapture;
class clsLettori;

// "Collaudo lettore": runs a test plan on the terminal the console has
// selected, through the console's one-command gate, with one row per step
// (in attesa, in corso, superato, fallito, saltato, non eseguito). "Interrompi"
// (or Esc in the main window) stops the plan and puts the reader back; a
// second press leaves what is not back yet. At the end the reports are
// written to the folder chosen and the HTML one is opened.
class CollaudoWindow : public QWidget {
    Q_OBJECT

public:
    struct Context {
        clsLettori& registry;
        ConsoleGate& gate;
        TrafficCapture& traffic;
        std::function<int16_t()> terminal;  // the console's selected terminal
        // Opens a written report; the desktop's viewer unless a test says otherwise.
        std::function<void(const QString& file)> openReport;
    };

    CollaudoWindow(Context context, QWidget* parent);

    // Runs the plan now, unless another command runs.
    void start();
    void stop();

    const ReaderRecord& lastRecord() const { return m_record; }
    // The HTML report of the last run, "" before one was written.
    const QString& lastReport() const { return m_report; }

    static QString title() { return QStringLiteral("Collaudo lettore"); }

private:
    void runPlan(const TestPlan& plan, const std::string& planText);
    void showStep(std::size_t index, const StepResult& step, bool running);
    void choosePlan();
    void chooseFolder();
    bool loadPlan(TestPlan& plan, std::string& text);

    Context m_context;
    QLabel* m_terminal = nullptr;
    QLineEdit* m_operator = nullptr;
    QLineEdit* m_plan = nullptr;
    QLineEdit* m_folder = nullptr;
    QCheckBox* m_alone = nullptr;
    QCheckBox* m_badge = nullptr;
    QTableWidget* m_steps = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_open = nullptr;
    int m_stopPresses = 0;
    bool m_running = false;
    ReaderRecord m_record;
    QString m_report;
};

}  // namespace lettore
