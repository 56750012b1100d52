#include "Platform/Sim/Desktop/SimDesktopWindow.h"

#include "Platform/KeyCode.h"
#include "Platform/ScreenCoordinates.h"
#include "Platform/Sim/Desktop/SimStatusBar.h"
#include "Platform/Sim/SimControl.h"
#include "Platform/Sim/SimHost.h"
#include "Platform/Sim/SimKeyMapping.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWindow>

namespace {

constexpr double menuBarHeight = 26;
constexpr double dockHeight = 40;
constexpr double statusItemGap = 4;
constexpr double titleBarHeight = 22;
constexpr int typedTextLimit = 400;
constexpr double promptWidth = 340;
constexpr double promptPadding = 18;
constexpr double promptMargin = 14;
constexpr double promptButtonHeight = 26;
constexpr double promptButtonGap = 8;

const QColor menuBarFill(250, 250, 247, 235);
const QColor menuBarText(36, 36, 36);
const QColor focusRing(61, 139, 253);
const QColor promptFill(246, 246, 246);

QColor textOn(const QColor& fill)
{
    return fill.lightnessF() > 0.6 ? QColor(30, 30, 30) : QColor(245, 245, 245);
}

QFont uiFont(double pixels, QFont::Weight weight = QFont::Normal)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(int(pixels));
    font.setWeight(weight);
    return font;
}

} // namespace

struct SimDesktopWindow::PromptGeometry {
    SimHostPrompt prompt;
    QRectF panel;
    QRectF title;
    QRectF text;
    QRectF deny;
    QRectF grant;
};

struct SimDesktopWindow::Item {
    enum Kind { open, minimized };
    Kind kind;
    QRectF rect;
    SimDesktopLayout::WindowRef ref;
    const SimInstance* instance;
    const SimWindow* window;
};

SimDesktopWindow::SimDesktopWindow(SimHost& host, SimControl& control, SimStatusBar& statusBar,
                                   PrintLine printLine, QWidget* parent)
    : QWidget(parent), m_host(host), m_control(control), m_statusBar(statusBar),
      m_printLine(std::move(printLine))
{
    setWindowTitle(QStringLiteral("Tessel Nav — Simulated Desktop"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(640, 400);
    connect(&m_host, &SimHost::modelChanged, this, &SimDesktopWindow::modelChanged);
    connect(&m_statusBar, &SimStatusBar::changed, this, [this] {
        placeStatusItems();
        update();
    });
    connect(&m_control.prompts(), &SimHostPrompts::promptsChanged, this,
            qOverload<>(&QWidget::update));
    // The application asks the filter installed last first: made after the
    // program's event monitors, the desktop lets the taps see a key before
    // the program does, as on the host.
    QCoreApplication::instance()->installEventFilter(this);
    modelChanged();
}

SimDesktopWindow::~SimDesktopWindow() = default;

void SimDesktopWindow::showCoveringScreen()
{
    winId();
    connect(windowHandle(), &QWindow::screenChanged, this, &SimDesktopWindow::coverScreen);
    coverScreen(windowHandle()->screen());
    // Where a window manager frames the window, it fits the frame into the
    // same area; on a bare X server the geometry set above stands.
    showMaximized();
}

void SimDesktopWindow::coverScreen(QScreen* screen)
{
    disconnect(m_screenArea);
    if (!screen)
        return;
    m_screenArea = connect(screen, &QScreen::availableGeometryChanged, this,
                           [this](const QRect& area) { setGeometry(area); });
    setGeometry(screen->availableGeometry());
}

void SimDesktopWindow::modelChanged()
{
    const SimModel model = m_host.snapshot();
    m_stacking = SimDesktopLayout::stackingOrder(model, m_stacking);
    const auto frontmost = SimDesktopLayout::frontmostWindow(model);
    if (!m_printedFrontmost || *m_printedFrontmost != frontmost) {
        m_printedFrontmost = frontmost;
        if (m_printLine)
            m_printLine(SimDesktopLayout::frontmostLine(model, frontmost));
    }
    update();
}

SimDesktopLayout::Mapping SimDesktopWindow::desktopMapping(const SimModel& model) const
{
    // Between the menu bar and the strip of minimized windows, with room
    // below the screens for their names.
    const QRectF area(0, menuBarHeight, width(), height() - menuBarHeight - dockHeight);
    return SimDesktopLayout::Mapping(model, area.adjusted(12, 12, -12, -28));
}

QList<SimDesktopWindow::Item> SimDesktopWindow::layoutItems(const SimModel& model) const
{
    QList<Item> items;
    const SimDesktopLayout::Mapping mapping = desktopMapping(model);
    // Back to front: apps in stacking order, each app's windows from its back.
    for (pid_t pid : m_stacking) {
        const SimInstance* instance = model.instance(pid);
        if (!instance)
            continue;
        for (auto it = instance->windows.crbegin(); it != instance->windows.crend(); ++it) {
            if (it->minimized || !it->frame.isValid())
                continue;
            QRectF rect = mapping.map(it->frame);
            rect.setHeight(std::max(rect.height(), titleBarHeight + 8));
            items << Item{Item::open, rect, {pid, it->token}, instance, &*it};
        }
    }
    double x = 12;
    const QFontMetricsF metrics(uiFont(12));
    for (const SimInstance& instance : model.instances) {
        for (const SimWindow& window : instance.windows) {
            if (!window.minimized)
                continue;
            const QString label = QStringLiteral("%1 — %2").arg(instance.name, window.title);
            const double w = std::min(260.0, metrics.horizontalAdvance(label) + 40);
            items << Item{Item::minimized,
                          QRectF(x, height() - dockHeight + 7, w, dockHeight - 14),
                          {instance.pid, window.token},
                          &instance,
                          &window};
            x += w + 8;
        }
    }
    return items;
}

void SimDesktopWindow::paintEvent(QPaintEvent*)
{
    const SimModel model = m_host.snapshot();
    const auto frontmost = SimDesktopLayout::frontmostWindow(model);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(70, 104, 120));
    background.setColorAt(1, QColor(150, 178, 170));
    painter.fillRect(rect(), background);

    // The screens, faintly, so that windows on the second screen read as such.
    const SimDesktopLayout::Mapping mapping = desktopMapping(model);
    const QList<QRectF> screens = SimDesktopLayout::screensTopLeft(model);
    for (int i = 0; i < screens.size(); ++i) {
        const QRectF drawn = mapping.map(screens[i]);
        painter.setPen(QPen(QColor(255, 255, 255, 70), 1));
        painter.setBrush(QColor(255, 255, 255, 22));
        painter.drawRoundedRect(drawn, 6, 6);
        painter.setFont(uiFont(11));
        painter.setPen(QColor(255, 255, 255, 150));
        painter.drawText(QRectF(drawn.x(), drawn.bottom() + 2, drawn.width(), 16),
                         Qt::AlignHCenter | Qt::AlignTop, model.screens[i].name);
    }

    const QList<Item> items = layoutItems(model);
    for (const Item& item : items) {
        const bool isFront = frontmost && *frontmost == item.ref;
        const QColor body =
            item.window->color.isValid() ? item.window->color : QColor(200, 200, 200);
        if (item.kind == Item::minimized) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(255, 255, 255, 200));
            painter.drawRoundedRect(item.rect, 8, 8);
            painter.setBrush(body);
            painter.drawRoundedRect(QRectF(item.rect.x() + 8, item.rect.center().y() - 6, 12, 12),
                                    3, 3);
            painter.setPen(QColor(60, 60, 60));
            painter.setFont(uiFont(12));
            const QRectF text = item.rect.adjusted(28, 0, -8, 0);
            painter.drawText(
                text, Qt::AlignVCenter | Qt::AlignLeft,
                painter.fontMetrics().elidedText(
                    QStringLiteral("%1 — %2").arg(item.instance->name, item.window->title),
                    Qt::ElideRight, int(text.width())));
            continue;
        }
        QPainterPath shape;
        shape.addRoundedRect(item.rect, 7, 7);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, isFront ? 70 : 40));
        painter.drawRoundedRect(item.rect.translated(0, isFront ? 4 : 2), 7, 7);
        painter.save();
        painter.setClipPath(shape);
        painter.fillRect(item.rect, body);
        const QRectF titleBar(item.rect.x(), item.rect.y(), item.rect.width(), titleBarHeight);
        painter.fillRect(titleBar, isFront ? QColor(246, 246, 244) : QColor(226, 226, 222));
        painter.setFont(uiFont(12, isFront ? QFont::DemiBold : QFont::Normal));
        painter.setPen(isFront ? QColor(25, 25, 25) : QColor(110, 110, 110));
        const QString title =
            QStringLiteral("%1 — %2").arg(item.instance->name, item.window->title);
        painter.drawText(
            titleBar.adjusted(10, 0, -10, 0), Qt::AlignCenter,
            painter.fontMetrics().elidedText(title, Qt::ElideMiddle, int(titleBar.width() - 20)));
        const QString typed = m_typed.value(item.ref.token);
        if (!typed.isEmpty()) {
            painter.setFont(uiFont(13));
            painter.setPen(textOn(body));
            painter.drawText(item.rect.adjusted(10, titleBarHeight + 8, -10, -8),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, typed);
        }
        painter.restore();
        if (isFront) {
            painter.setPen(QPen(focusRing, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(item.rect.adjusted(-1, -1, 1, 1), 8, 8);
        }
    }

    // The menu bar: the frontmost app's name, the status items on the right.
    const QRectF bar(0, 0, width(), menuBarHeight);
    painter.fillRect(bar, menuBarFill);
    painter.fillRect(QRectF(0, menuBarHeight - 1, width(), 1), QColor(0, 0, 0, 40));
    QString appName;
    if (model.frontmostPid) {
        if (const SimInstance* instance = model.instance(*model.frontmostPid))
            appName = instance->name;
    }
    painter.setPen(menuBarText);
    painter.setFont(uiFont(13, QFont::Bold));
    painter.drawText(bar.adjusted(14, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, appName);
    const QList<SimStatusItem*> statusItems = m_statusBar.items();
    for (int i = 0; i < statusItems.size(); ++i) {
        const QRectF slot = statusItemRect(i);
        if (m_pressedItem == statusItems[i]) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 0, 0, 30));
            painter.drawRoundedRect(slot.adjusted(0, 2, 0, -2), 5, 5);
        }
        const QImage& image = statusItems[i]->image();
        if (image.isNull())
            continue;
        const QImage shown =
            statusItems[i]->isTemplate() ? templateImageInColor(image, menuBarText) : image;
        const QRectF icon(slot.center() - QPointF(9, 9), QSizeF(18, 18));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(icon, shown);
    }

    // The strip of minimized windows.
    painter.fillRect(QRectF(0, height() - dockHeight, width(), dockHeight), QColor(0, 0, 0, 45));

    paintPrompt(painter);
}

std::optional<SimHostPrompt> SimDesktopWindow::shownPrompt() const
{
    const QList<SimHostPrompt> pending = m_control.prompts().pending();
    if (pending.isEmpty())
        return std::nullopt;
    return pending.first();
}

std::optional<QRectF> SimDesktopWindow::promptButton(bool grant) const
{
    const std::optional<PromptGeometry> geometry = promptGeometry();
    if (!geometry)
        return std::nullopt;
    return grant ? geometry->grant : geometry->deny;
}

std::optional<SimDesktopWindow::PromptGeometry> SimDesktopWindow::promptGeometry() const
{
    const std::optional<SimHostPrompt> prompt = shownPrompt();
    if (!prompt)
        return std::nullopt;
    const double inner = promptWidth - 2 * promptPadding;
    const auto wrappedHeight = [inner](const QFont& font, const QString& text) {
        return QFontMetricsF(font)
            .boundingRect(QRectF(0, 0, inner, 10000), Qt::TextWordWrap, text)
            .height();
    };
    PromptGeometry g;
    g.prompt = *prompt;
    // In the top right corner under the menu bar, like the host's own
    // notices: the program's windows, centred on the screen, leave it in sight.
    const double x = width() - promptWidth - promptMargin;
    double y = menuBarHeight + promptMargin + promptPadding;
    g.title = QRectF(x + promptPadding, y, inner,
                     wrappedHeight(uiFont(13, QFont::Bold), prompt->title()));
    y = g.title.bottom() + 6;
    g.text = QRectF(x + promptPadding, y, inner, wrappedHeight(uiFont(12), prompt->text()));
    y = g.text.bottom() + 16;
    const QFontMetricsF buttonMetrics(uiFont(12, QFont::Medium));
    const auto buttonWidth = [&](const QString& label) {
        return std::max(72.0, buttonMetrics.horizontalAdvance(label) + 28);
    };
    const double right = x + promptWidth - promptPadding;
    const double grantWidth = buttonWidth(prompt->grantButton());
    g.grant = QRectF(right - grantWidth, y, grantWidth, promptButtonHeight);
    const double denyWidth = buttonWidth(prompt->denyButton());
    g.deny = QRectF(g.grant.left() - promptButtonGap - denyWidth, y, denyWidth, promptButtonHeight);
    g.panel = QRectF(x, menuBarHeight + promptMargin, promptWidth,
                     g.grant.bottom() + promptPadding - (menuBarHeight + promptMargin));
    return g;
}

void SimDesktopWindow::paintPrompt(QPainter& painter) const
{
    const std::optional<PromptGeometry> g = promptGeometry();
    if (!g)
        return;
    // The host holds the desktop until the question is answered.
    painter.fillRect(QRectF(0, menuBarHeight, width(), height() - menuBarHeight),
                     QColor(0, 0, 0, 70));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 60));
    painter.drawRoundedRect(g->panel.translated(0, 4).adjusted(-2, -1, 2, 3), 13, 13);
    painter.setBrush(promptFill);
    painter.setPen(QPen(QColor(0, 0, 0, 50), 1));
    painter.drawRoundedRect(g->panel.adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);

    painter.setPen(menuBarText);
    painter.setFont(uiFont(13, QFont::Bold));
    painter.drawText(g->title, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, g->prompt.title());
    painter.setPen(QColor(70, 70, 70));
    painter.setFont(uiFont(12));
    painter.drawText(g->text, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, g->prompt.text());

    painter.setFont(uiFont(12, QFont::Medium));
    painter.setPen(QPen(QColor(0, 0, 0, 45), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(g->deny.adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.setPen(menuBarText);
    painter.drawText(g->deny, Qt::AlignCenter, g->prompt.denyButton());
    painter.setPen(Qt::NoPen);
    painter.setBrush(focusRing);
    painter.drawRoundedRect(g->grant, 6, 6);
    painter.setPen(Qt::white);
    painter.drawText(g->grant, Qt::AlignCenter, g->prompt.grantButton());
}

QRectF SimDesktopWindow::statusItemRect(int index) const
{
    // The oldest item sits rightmost, as in a status bar. Items are squares
    // as tall as the bar, so whatever hangs under an item hangs under the bar.
    const double right = width() - 10 - index * (menuBarHeight + statusItemGap);
    return QRectF(right - menuBarHeight, 0, menuBarHeight, menuBarHeight);
}

void SimDesktopWindow::placeStatusItems()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QList<SimStatusItem*> items = m_statusBar.items();
    for (int i = 0; i < items.size(); ++i) {
        if (!isVisible() || !primary) {
            items[i]->setButtonFrame({});
            continue;
        }
        const QRectF local = statusItemRect(i);
        const QRectF global(QPointF(mapToGlobal(local.topLeft().toPoint())), local.size());
        items[i]->setButtonFrame(
            ScreenCoordinates::toBottomLeft(global, QRectF(primary->geometry())));
    }
}

void SimDesktopWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeStatusItems();
}

void SimDesktopWindow::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    placeStatusItems();
}

void SimDesktopWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    placeStatusItems();
}

void SimDesktopWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    emit closed();
}

void SimDesktopWindow::mousePressEvent(QMouseEvent* event)
{
    const bool right = event->button() == Qt::RightButton;
    if (event->button() != Qt::LeftButton && !right)
        return;
    emit mouseDownElsewhere(right ? MonitoredEvent::Type::rightMouseDown
                                  : MonitoredEvent::Type::leftMouseDown);
    const QPointF at = event->position();
    if (at.y() < menuBarHeight) {
        // The host's menu bar belongs to no app: a click on it leaves the
        // keyboard with the window that had it, though the platform hands
        // the keyboard to this window at every press.
        QWindow* keyWindow = QGuiApplication::focusWindow();
        if (keyWindow && keyWindow != windowHandle())
            keyWindow->requestActivate();
    }
    const QList<SimStatusItem*> statusItems = m_statusBar.items();
    for (int i = 0; i < statusItems.size(); ++i) {
        if (statusItemRect(i).contains(at)) {
            m_pressedItem = statusItems[i];
            update();
            return;
        }
    }
    if (at.y() < menuBarHeight)
        return;
    // While the host asks something, the desktop below waits for the answer.
    if (const std::optional<PromptGeometry> prompt = promptGeometry()) {
        if (!right && (prompt->grant.contains(at) || prompt->deny.contains(at)))
            m_control.prompts().answer(prompt->prompt.id, prompt->grant.contains(at));
        return;
    }
    if (right)
        return;
    const SimModel model = m_host.snapshot();
    const QList<Item> items = layoutItems(model);
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        if (it->rect.contains(at)) {
            bringToFront(it->ref, it->kind == Item::minimized);
            return;
        }
    }
}

void SimDesktopWindow::mouseReleaseEvent(QMouseEvent* event)
{
    SimStatusItem* pressed = std::exchange(m_pressedItem, nullptr);
    if (!pressed)
        return;
    update();
    const QList<SimStatusItem*> statusItems = m_statusBar.items();
    const qsizetype index = statusItems.indexOf(pressed);
    if (index < 0 || !statusItemRect(int(index)).contains(event->position()))
        return;
    StatusItemClick click;
    click.button = event->button() == Qt::RightButton ? StatusItemClick::Button::right
                                                      : StatusItemClick::Button::left;
    click.controlHeld = event->modifiers() & Qt::ControlModifier;
    pressed->click(click);
}

void SimDesktopWindow::bringToFront(const SimDesktopLayout::WindowRef& window, bool unminimize)
{
    if (unminimize) {
        m_host.modify([&](SimModel& model) {
            if (SimInstance* instance = model.instance(window.pid)) {
                for (SimWindow& candidate : instance->windows) {
                    if (candidate.token == window.token)
                        candidate.minimized = false;
                }
            }
        });
    }
    m_host.focusWindow(window.pid, window.token);
    m_host.activateApp(window.pid);
}

bool SimDesktopWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Every key belongs to the host keyboard, none to a shortcut here.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Tab and Shift+Tab included, which would otherwise move the focus.
        handleKey(*static_cast<QKeyEvent*>(event));
        return true;
    default:
        return QWidget::event(event);
    }
}

bool SimDesktopWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    // Input reaches the window before its widgets: looking at windows alone
    // sees each key once.
    const auto* window = qobject_cast<const QWindow*>(watched);
    if (!window || !window->flags().testFlag(Qt::WindowDoesNotAcceptFocus))
        return false;
    const std::optional<KeyEvent> key = SimKeyMapping::keyEvent(*static_cast<QKeyEvent*>(event));
    return key && m_control.injectKey(*key);
}

void SimDesktopWindow::handleKey(const QKeyEvent& qtEvent)
{
    const std::optional<KeyEvent> event = SimKeyMapping::keyEvent(qtEvent);
    if (!event)
        return;
    if (m_control.injectKey(*event))
        return;
    if (event->type == CGEventType::keyDown)
        typeIntoFrontmostApp(*event);
}

void SimDesktopWindow::typeIntoFrontmostApp(const KeyEvent& event)
{
    const auto frontmost = SimDesktopLayout::frontmostWindow(m_host.snapshot());
    if (!frontmost || (event.flags & (CGEventFlag::command | CGEventFlag::control)))
        return;
    QString& typed = m_typed[frontmost->token];
    const QString characters = event.charactersIgnoringModifiers.value_or(QString());
    if (event.keyCode == KeyCode::deleteKey) {
        typed.chop(1);
    } else if (event.keyCode == KeyCode::returnKey) {
        typed += QLatin1Char('\n');
    } else if (characters.size() == 1 && characters.at(0).isPrint()) {
        typed += characters;
    } else {
        return;
    }
    if (typed.size() > typedTextLimit)
        typed = typed.right(typedTextLimit);
    update();
}
