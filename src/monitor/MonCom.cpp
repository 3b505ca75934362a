#include "MonCom.h"

#include "BoxText.h"
#include "ByteText.h"
#include "FailureText.h"
#include "Twips.h"
#include "WindowAccessible.h"
#include "ui_MonCom.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QShortcut>

#include <limits>

namespace {

constexpr int LampInterval = 150;  // ms

const QColor TxOff(0, 128, 0);
const QColor TxLit(0, 255, 0);
const QColor RxOff(128, 0, 0);
const QColor RxLit(255, 0, 0);
const QColor ToOff(0, 0, 128);
const QColor ToLit(0, 255, 255);

QString hexView(const QString& text)
{
    return QString::fromLatin1(lettore::ByteText::monitorHex(text.toLatin1().toStdString()));
}

// Sets a box's text with the view at its start, where a frame begins. The
// same text again (a reader's answer is often the same) changes nothing,
// and costs no painting.
void showText(QLineEdit* box, const QString& text)
{
    if (box->text() == text && box->cursorPosition() == 0)
        return;
    box->setText(text);
    box->setCursorPosition(0);
}

}  // namespace

MonCom* MonCom::s_loaded = nullptr;
std::function<void()> MonCom::s_openTrafficLog;

void MonCom::setTrafficLogOpener(std::function<void()> open) { s_openTrafficLog = std::move(open); }

MonCom& MonCom::instance()
{
    if (!s_loaded)
        s_loaded = new MonCom;
    return *s_loaded;
}

void MonCom::unload() { delete s_loaded; }

MonCom::MonCom() : m_ui(std::make_unique<Ui::MonCom>())
{
    WindowAccessible::install();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);

    // The form is drawn in the extended layout; the compact one moves the
    // three kept rows and the lamps up, to the design's tops in twips, and
    // hides the hexadecimal rows.
    const Twips twips(logicalDpiX());
    twips.placeForm(*this);
    m_placements = {{m_ui->Label1, twips.toPixels(75), 0},         {m_ui->TextComando, twips.toPixels(15), 0},
                    {m_ui->Label3, twips.toPixels(375), 0},        {m_ui->Risposta, twips.toPixels(315), 0},
                    {m_ui->Label5, twips.toPixels(675), 0},        {m_ui->Txt_UltimaRisposta, twips.toPixels(615), 0},
                    {m_ui->Frm_Parametri, twips.toPixels(945), 0}, {m_ui->LblErrore, twips.toPixels(945), 0}};
    for (Placement& placement : m_placements)
        placement.extendedTop = placement.widget->y();
    m_extendedOnly = {m_ui->Label2,      m_ui->TextComandoHex, m_ui->Label4,
                      m_ui->RispostaHex, m_ui->Label6,         m_ui->Txt_UltimaRispostaHex};
    setFixedWidth(width());
    // The design gives a caption 1080 twips; the form's 9-point font needs
    // to be a point smaller and semi-condensed to fit "Comando Hex" there.
    for (QLabel* caption : findChildren<QLabel*>()) {
        if (caption == m_ui->LblErrore)
            continue;
        QFont narrow = caption->font();
        narrow.setPointSize(8);
        narrow.setStretch(QFont::SemiCondensed);
        caption->setFont(narrow);
    }

    for (QLineEdit* box : {m_ui->TextComando, m_ui->TextComandoHex, m_ui->Risposta, m_ui->RispostaHex,
                           m_ui->Txt_UltimaRisposta, m_ui->Txt_UltimaRispostaHex}) {
        // Each box holds all of what the line carried. A line edit cuts its
        // text at 32767 characters unless told otherwise, and five seconds
        // of an unfinished answer at 38400 baud (19200 bytes) pass that in
        // the hexadecimal view, three characters a byte.
        box->setMaxLength(std::numeric_limits<int>::max());
        // The line's bytes shown as Latin-1 need no shaping; laid out
        // without it, writing a box at every frame costs a third less.
        QFont unshaped = box->font();
        unshaped.setStyleStrategy(QFont::PreferNoShaping);
        box->setFont(unshaped);
    }

    m_ui->Led_TX->setColors(TxOff, TxLit);
    m_ui->Led_RX->setColors(RxOff, RxLit);
    m_ui->Led_TO->setColors(ToOff, ToLit);
    for (QTimer* timer : {&Timer_tx, &Timer_rx})
        timer->setInterval(LampInterval);
    Timer_tx.setObjectName(QStringLiteral("Timer_tx"));
    Timer_rx.setObjectName(QStringLiteral("Timer_rx"));
    Timer_tx.setParent(this);
    Timer_rx.setParent(this);
    connect(&Timer_tx, &QTimer::timeout, this, &MonCom::Timer_tx_Timer);
    connect(&Timer_rx, &QTimer::timeout, this, &MonCom::Timer_rx_Timer);
    connect(m_ui->TextComando, &QLineEdit::textChanged, this, &MonCom::TextComando_Change);
    connect(m_ui->Risposta, &QLineEdit::textChanged, this, &MonCom::Risposta_Change);
    addKeys();

    // A new window is empty; it always opens in the compact layout.
    Form_DblClick();
}

MonCom::~MonCom()
{
    if (s_loaded == this)
        s_loaded = nullptr;
}

void MonCom::AttivaLed_TX()
{
    m_ui->Led_TX->setLit(true);
    // Starting a running timer restarts its count: the lamp stays lit
    // 150 ms past the latest transmission.
    Timer_tx.start();
}

void MonCom::AttivaLed_RX()
{
    m_ui->Led_RX->setLit(true);
    m_ui->Led_TO->setLit(false);
    Timer_rx.start();  // restarts a running count, as for transmission
}

void MonCom::AttivaLed_TO() { m_ui->Led_TO->setLit(true); }

// The failure line is cleared at once: a failure reported after this
// frame must stay shown when the boxes catch up.
void MonCom::setTextComando(const std::string& bytes)
{
    clearErrore();
    m_pendingCommand = bytes;
    m_views.request();
}

void MonCom::setRisposta(const std::string& bytes)
{
    clearErrore();
    m_pendingAnswer = bytes;
    if (!bytes.empty())
        m_pendingLastAnswer = bytes;
    m_views.request();
}

// A burst that ended with an empty answer (a rejected frame) shows its last
// non-empty answer first, so the last answer's box gets it, as it would have.
void MonCom::showPendingViews()
{
    if (m_pendingCommand)
        showText(m_ui->TextComando, lettore::BoxText::text(*m_pendingCommand));
    if (m_pendingLastAnswer && m_pendingAnswer != m_pendingLastAnswer)
        showText(m_ui->Risposta, lettore::BoxText::text(*m_pendingLastAnswer));
    if (m_pendingAnswer)
        showText(m_ui->Risposta, lettore::BoxText::text(*m_pendingAnswer));
    m_pendingCommand.reset();
    m_pendingAnswer.reset();
    m_pendingLastAnswer.reset();
}

void MonCom::MostraErrore(int16_t codice, const std::string& descrizione)
{
    const QString text = QStringLiteral("Errore %1: %2").arg(codice).arg(lettore::FailureText::italian(descrizione));
    m_ui->LblErrore->setText(text);
    m_ui->LblErrore->setToolTip(text);  // the whole text where the line cuts it
    // A failing command returns at once, with no wait to paint in: draw now.
    m_ui->LblErrore->repaint();
}

void MonCom::showInFront()
{
    // The window manager may have minimised it even without the button:
    // shown again, it comes back as it was, in front. The keyboard stays
    // where it was, in the console.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
}

void MonCom::addKeys()
{
    const auto key = [this](const QKeySequence& sequence, auto action) {
        auto* shortcut = new QShortcut(sequence, this);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    key(QKeySequence(Qt::Key_Escape), &QWidget::close);
    key(QKeySequence(Qt::CTRL | Qt::Key_W), &QWidget::close);
    key(QKeySequence(Qt::CTRL | Qt::Key_L), &MonCom::Form_DblClick);
    key(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [] {
        if (s_openTrafficLog)
            s_openTrafficLog();
    });
    // The text boxes always hold the focus, so the keyboard's menu keys
    // would reach only their own editing menu: they ask for the window's.
    const auto windowMenu = [this] {
        const QPoint centre = rect().center();
        QContextMenuEvent event(QContextMenuEvent::Keyboard, centre, mapToGlobal(centre));
        QApplication::sendEvent(this, &event);
    };
    key(QKeySequence(Qt::Key_Menu), windowMenu);
    key(QKeySequence(Qt::SHIFT | Qt::Key_F10), windowMenu);
}

void MonCom::clearErrore()
{
    if (m_ui->LblErrore->text().isEmpty())
        return;
    m_ui->LblErrore->clear();
    m_ui->LblErrore->setToolTip({});
}

void MonCom::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Form_DblClick();
    else
        QWidget::mouseDoubleClickEvent(event);
}

void MonCom::closeEvent(QCloseEvent* event)
{
    // Closed by its close box: unloaded. The next use loads a new window.
    event->accept();
    if (s_loaded == this)
        s_loaded = nullptr;
    deleteLater();
}

void MonCom::Form_DblClick()
{
    const bool toCompact = !m_ui->Label2->isHidden();
    for (const Placement& placement : m_placements)
        placement.widget->move(placement.widget->x(), toCompact ? placement.compactTop : placement.extendedTop);
    for (QWidget* widget : m_extendedOnly)
        widget->setHidden(toCompact);
    // The design's window heights (1485 and 2445 twips) count its title bar
    // and borders; the client area ends under the lamps.
    setFixedHeight(m_ui->Frm_Parametri->geometry().bottom() + 1);
}

void MonCom::TextComando_Change() { showText(m_ui->TextComandoHex, hexView(m_ui->TextComando->text())); }

void MonCom::Risposta_Change()
{
    showText(m_ui->RispostaHex, hexView(m_ui->Risposta->text()));
    // An empty answer (a rejected frame) leaves the last answer shown.
    if (m_ui->Risposta->text().isEmpty())
        return;
    showText(m_ui->Txt_UltimaRisposta, m_ui->Risposta->text());
    showText(m_ui->Txt_UltimaRispostaHex, m_ui->RispostaHex->text());
}

void MonCom::Timer_tx_Timer()
{
    Timer_tx.stop();
    m_ui->Led_TX->setLit(false);
}

void MonCom::Timer_rx_Timer()
{
    Timer_rx.stop();
    m_ui->Led_RX->setLit(false);
}
