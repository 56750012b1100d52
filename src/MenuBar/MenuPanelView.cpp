#include "MenuBar/MenuPanelView.h"

#include "Brand/BrandStyle.h"
#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Models/AppVersion.h"
#include "Models/ContinuousCorners.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// One command: symbol, title, an optional hint on the right; the whole row
// is the hit area and fills with the hover colour under the pointer.
class MenuRow final : public QWidget {
public:
    MenuRow(QString icon, QString title, QString hint, std::function<void()> action,
            QWidget* parent)
        : QWidget(parent), m_icon(std::move(icon)), m_title(std::move(title)),
          m_hint(std::move(hint)), m_action(std::move(action))
    {
        setAttribute(Qt::WA_Hover);
        setMouseTracking(true);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setAccessibleName(m_title);
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF title(titleFont());
        return QSize(200, int(std::ceil(title.height())) + 2 * vertical);
    }

protected:
    void enterEvent(QEnterEvent*) override { setHovering(true); }
    void leaveEvent(QEvent*) override { setHovering(false); }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            m_action) {
            // The command may hide the panel or end the program; run it last.
            const auto action = m_action;
            action();
        }
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (m_hovering) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(TesselBrand::hoverFill());
            painter.drawPath(continuousRoundedRect(QRectF(rect()), 9));
        }
        const QRectF content = QRectF(rect()).adjusted(horizontal, 0, -horizontal, 0);
        const QRectF iconFrame(content.x(), content.y(), iconWidth, content.height());
        const double side = 15;
        Symbols::paint(painter,
                       QRectF(iconFrame.center() - QPointF(side / 2, side / 2), QSizeF(side, side)),
                       m_icon, TesselBrand::withOpacity(TesselBrand::ink(), 0.55));

        double right = content.right();
        if (!m_hint.isEmpty()) {
            const QFont font = Typography::font(11, QFont::Medium);
            const double width = QFontMetricsF(font).horizontalAdvance(m_hint);
            painter.setFont(font);
            painter.setPen(TesselBrand::withOpacity(TesselBrand::ink(), 0.38));
            painter.drawText(QRectF(right - width, content.y(), width, content.height()),
                             Qt::AlignVCenter | Qt::AlignRight, m_hint);
            right -= width + spacing;
        }
        const double titleLeft = iconFrame.right() + spacing;
        painter.setFont(titleFont());
        painter.setPen(TesselBrand::ink());
        painter.drawText(QRectF(titleLeft, content.y(), right - titleLeft, content.height()),
                         Qt::AlignVCenter | Qt::AlignLeft, m_title);
    }

private:
    static constexpr int horizontal = 12;
    static constexpr int vertical = 8;
    static constexpr double iconWidth = 17;
    static constexpr double spacing = 10;

    static QFont titleFont() { return Typography::font(13, QFont::Medium); }

    void setHovering(bool hovering)
    {
        if (m_hovering == hovering)
            return;
        m_hovering = hovering;
        update();
    }

    QString m_icon;
    QString m_title;
    QString m_hint;
    std::function<void()> m_action;
    bool m_hovering = false;
};

// A hairline 1 point high, 10 points in from each side and 5 above and below.
QWidget* divider(QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(10, 5, 10, 5);
    auto* line = new QWidget(holder);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, TesselBrand::hairline());
    line->setPalette(palette);
    layout->addWidget(line);
    return holder;
}

} // namespace

MenuPanelView::MenuPanelView(MenuActions actions, QWidget* parent)
    : QWidget(parent), m_actions(std::move(actions))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(panelWidth);
    setPalette(BrandStyle::palette());

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(10, 0, 10, 0);
    stack->setSpacing(2);

    auto* heading = new QWidget(this);
    auto* headingLayout = new QVBoxLayout(heading);
    headingLayout->setContentsMargins(0, 18, 0, 12);
    headingLayout->addWidget(new Wordmark(138, heading), 0, Qt::AlignHCenter);
    stack->addWidget(heading);

    stack->addWidget(new MenuRow(QStringLiteral("rectangle.3.group"), tr("Show Switcher"),
                                 switcherHint(), m_actions.showSwitcher, this));
    stack->addWidget(divider(this));
    stack->addWidget(new MenuRow(QStringLiteral("slider.horizontal.3"), tr("Settings…"), {},
                                 m_actions.showSettings, this));
    stack->addWidget(new MenuRow(QStringLiteral("checkmark.shield"), tr("Permissions Setup…"), {},
                                 m_actions.showPermissions, this));
    stack->addWidget(divider(this));
    stack->addWidget(
        new MenuRow(QStringLiteral("power"), tr("Quit Tessel Nav"), {}, m_actions.quit, this));

    auto* version = new QLabel(versionText(appVersion()), this);
    version->setObjectName(QStringLiteral("version"));
    QFont font = Typography::font(10, QFont::Medium);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    version->setFont(font);
    QPalette faint = version->palette();
    faint.setColor(QPalette::WindowText, TesselBrand::withOpacity(TesselBrand::ink(), 0.32));
    version->setPalette(faint);
    version->setContentsMargins(0, 8, 0, 10);
    stack->addWidget(version, 0, Qt::AlignHCenter);
}

QString MenuPanelView::switcherHint()
{
    return QStringLiteral("\u2318 `  \u00B7  \u2325 \u21E5");
}

QString MenuPanelView::versionText(const QString& version)
{
    return tr("Version %1").arg(version);
}

void MenuPanelView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(QRectF(rect()), cornerRadius), TesselBrand::cream());
    painter.setPen(QPen(QColor(0, 0, 0, 18), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedBorder(QRectF(rect()), cornerRadius, 1));
}
