#include "alarm/ui/popupwindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "alarm/ui/popupgeometry.h"
#include "alarm/ui/soundplayer.h"
#include "core/screenfont.h"
#include "widgets/relatedtarget.h"

namespace nox
{

namespace
{

constexpr int kLabelInset = 8;

TPopupHost& host()
{
    static TPopupHost h;
    return h;
}

QPointer<TForm7>& lastPopup()
{
    static QPointer<TForm7> p;
    return p;
}

std::optional<std::pair<QRect, QRect>>& testScreen()
{
    static std::optional<std::pair<QRect, QRect>> s;
    return s;
}

std::pair<QRect, QRect> screenAreas()
{
    if (testScreen()) {
        return *testScreen();
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return {QRect(0, 0, 1024, 768), QRect(0, 0, 1024, 768)};
    }
    return {screen->geometry(), screen->availableGeometry()};
}

const QString kNotFound =
    QStringLiteral("対象スケジュールが見つかりません!"
                   "\n再度「検索開始」ボタンをクリックし、検索結果をリフレッシュしてください。");

} // namespace

TPopupSound PopupSoundFor(const QString& sound)
{
    if (sound.isEmpty()) {
        return TPopupSound::None;
    }
    if (sound.compare(QLatin1String("beep"), Qt::CaseInsensitive) == 0) {
        return TPopupSound::Beep;
    }
    return QFileInfo(sound).isFile() ? TPopupSound::Wave : TPopupSound::None;
}

void SetPopupHost(const TPopupHost& h)
{
    host() = h;
}

void TForm7::SetScreenGeometryForTesting(const QRect& screen, const QRect& available)
{
    if (screen.isNull()) {
        testScreen().reset();
    } else {
        testScreen() = std::make_pair(screen, available);
    }
}

TForm7::TForm7(const TPopupSettings& s, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_targetHeight = qMax(1, s.height);
    m_width = qMax(1, s.width);
    m_positionMode = s.pos;

    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(s.bkcolor));
    pal.setColor(QPalette::WindowText, readableOn(toQColor(s.fgcolor), toQColor(s.bkcolor)));
    setPalette(pal);
    QFont f(screenFamily(s.fontname));
    f.setPointSize(qMax(1, s.fontsize));
    applyFontStyles(f, s.fontstyle & 0xF);
    setFont(f);

    m_label = new QLabel(this);
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAttribute(Qt::WA_TranslucentBackground);
    m_label->setGeometry(kLabelInset, kLabelInset, m_width - 2 - 2 * kLabelInset, m_targetHeight);
    m_label->installEventFilter(this);

    m_timer = new QTimer(this);
    m_timer->setInterval(kPopupGrowIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &TForm7::growStep);
    placeForStep();
    lastPopup() = this;
}

TForm7::~TForm7()
{
    m_timer->stop();
}

void TForm7::SetMessage(const QString& message)
{
    m_label->setText(message);
}

QString TForm7::Message() const
{
    return m_label->text();
}

void TForm7::FitHeightToMessage()
{
    const int textWidth = m_label->width();
    const QRect text = QFontMetrics(m_label->font())
                           .boundingRect(QRect(0, 0, textWidth, 1 << 20),
                                         Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_label->text());
    const int needed = text.height() + 2 * kLabelInset + 2;
    const int limit = qMax(m_targetHeight, screenAreas().second.height() / 2);
    m_targetHeight = qBound(m_targetHeight, needed, limit);
    m_label->setGeometry(kLabelInset, kLabelInset, m_width - 2 - 2 * kLabelInset, m_targetHeight);
    placeForStep();
}

void TForm7::Start()
{
    show();
    raise();
    m_timer->start();
}

void TForm7::placeForStep()
{
    const auto [screen, available] = screenAreas();
    QRect r = PopupWindowRect(screen, available, m_positionMode, QSize(m_width, m_targetHeight), m_step);
    if (r.height() < 1) {
        // A window cannot be 0 pixels high; one line stays at the fixed edge.
        const bool growsUp = m_positionMode == pcBottomLeft || m_positionMode == pcBottomRight;
        r = QRect(r.x(), growsUp ? r.y() - 1 : r.y(), r.width(), 1);
    }
    setGeometry(r);
}

void TForm7::growStep()
{
    ++m_step;
    placeForStep();
    if (PopupGrownAtStep(m_step, m_targetHeight)) {
        finishGrowth();
    }
}

void TForm7::finishGrowth()
{
    m_timer->stop();
    m_grown = true;
    playSound();
    if (!m_relatedTarget.isEmpty()) {
        OpenRelatedTarget(m_relatedTarget);
    }
}

// Never waits for the sound: without a sound server the effect may never
// report its end.
void TForm7::playSound()
{
    m_soundPlayed = PopupSoundFor(m_sound);
    if (m_soundPlayed == TPopupSound::Beep) {
        QApplication::beep();
    } else if (m_soundPlayed == TPopupSound::Wave && !playWaveFile(m_sound, this)) {
        qWarning("%s", qPrintable(soundSupportError()));
        QApplication::beep();
    }
}

QMenu* TForm7::PopupMenu1()
{
    if (!m_menu) {
        m_menu = new QMenu(this);
        m_menu->addAction(QStringLiteral("閉じる(&C)"), this, &QWidget::close);
        m_menu->addSeparator();
        m_menu->addAction(QStringLiteral("表示(&V)"), this, &TForm7::showSchedule);
        connect(m_menu, &QMenu::aboutToShow, this,
                [this] { m_menu->actions().at(2)->setEnabled(m_record.has_value()); });
    }
    return m_menu;
}

void TForm7::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenu1()->popup(event->globalPos());
}

void TForm7::showSchedule()
{
    if (!m_record) {
        return;
    }
    const TPopupHost& h = host();
    if (h.goToSchedule && h.goToSchedule(*m_record)) {
        if (QWidget* main = h.mainWindow) {
            if (main->isMinimized()) {
                main->showNormal();
            }
            main->show();
            main->raise();
            main->activateWindow();
        }
        close();
        return;
    }
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), kNotFound, QMessageBox::Ok, this);
    box.exec();
}

bool TForm7::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_label && event->type() == QEvent::MouseButtonDblClick) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm7::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setPen(toQColor(clWindowFrame, palette()));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TForm7::mouseDoubleClickEvent(QMouseEvent*)
{
    close();
}

TForm7* ShowPopupMessage(const PopupRequest& request)
{
    auto* popup = new TForm7;
    popup->SetSound(request.sound);
    popup->SetMessage(request.message);
    popup->SetRecord(request.record);
    popup->SetRelatedTarget(request.relatedInfoTarget);
    if (request.lateCount > 1) {
        popup->FitHeightToMessage();
    }
    popup->Start();
    return popup;
}

TForm7* ShowPopupMessage(const QString& message, const QString& sound, std::optional<TSkedRec> record,
                         const QDateTime& now)
{
    PopupRequest request;
    request.message = message;
    request.sound = sound;
    if (record && record->OpenRelatedInfo &&
        skedSortableStart(*record) == now.toString(QStringLiteral("yyyy/MM/dd hh:mm"))) {
        request.relatedInfoTarget = unescapeSkedText(record->RelatedInfo);
    }
    request.record = std::move(record);
    return ShowPopupMessage(request);
}

TForm7* ShowPopupPreview(const QString& message, const TPopupSettings& settings)
{
    auto* popup = new TForm7(settings);
    popup->SetMessage(message);
    popup->Start();
    return popup;
}

TForm7* LastPopup()
{
    return lastPopup();
}

} // namespace nox
