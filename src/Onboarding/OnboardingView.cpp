#include "Onboarding/OnboardingView.h"

#include "Brand/BrandStyle.h"
#include "Brand/Symbols.h"
#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Models/ContinuousCorners.h"
#include "Onboarding/OnboardingModel.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

#include <cmath>
#include <optional>

namespace {

// The host's standard green and orange, light appearance.
QColor systemGreen()
{
    return QColor(52, 199, 89);
}
QColor systemOrange()
{
    return QColor(255, 149, 0);
}

void setTextColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    // Every text here is shown as it is, the apps' own error messages too:
    // nothing in them is markup.
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    setTextColor(label, color);
    return label;
}

QLabel* makeWrappingLabel(const QString& text, const QFont& font, const QColor& color,
                          QWidget* parent)
{
    QLabel* label = makeLabel(text, font, color, parent);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    return label;
}

// A push button drawn in the brand's look: bordered white at the small
// control size, or prominent in forest green.
class BrandButton final : public QPushButton {
public:
    enum class Style { bordered, prominent };

    BrandButton(const QString& title, Style style, QWidget* parent)
        : QPushButton(title, parent), m_style(style)
    {
        setFont(style == Style::prominent ? Typography::font(TextStyle::body, QFont::Medium)
                                          : Typography::font(11));
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus); // a click does not leave a focus ring behind
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAttribute(Qt::WA_Hover);
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        const bool prominent = m_style == Style::prominent;
        const double padding = prominent ? 22 : 9;
        const double height = prominent ? 28 : 20;
        return QSizeF(std::ceil(metrics.horizontalAdvance(text()) + 2 * padding), height).toSize();
    }

protected:
    // The ring shows only where the keyboard put the focus, not where it
    // landed when the window opened or a button before it went away.
    void focusInEvent(QFocusEvent* event) override
    {
        m_keyboardFocus =
            event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
        QPushButton::focusInEvent(event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool prominent = m_style == Style::prominent;
        const QRectF frame = QRectF(rect()).adjusted(1, 1, -1, -1);
        const double radius = prominent ? 6 : 5;
        const bool pressed = isDown();
        const bool hovered = underMouse();

        if (hasFocus() && m_keyboardFocus) {
            painter.setPen(QPen(TesselBrand::withOpacity(TesselBrand::forest(), 0.45), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), radius + 1, radius + 1);
        }
        QColor fill;
        if (prominent) {
            const QColor forest = TesselBrand::forest();
            fill = pressed ? forest.darker(125) : hovered ? forest.darker(110) : forest;
            painter.setPen(Qt::NoPen);
        } else {
            fill = pressed ? TesselBrand::hoverFill() : hovered ? QColor(250, 250, 246) : Qt::white;
            painter.setPen(QPen(QColor(0, 0, 0, 34), 1));
        }
        painter.setBrush(fill);
        painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

        painter.setPen(prominent ? QColor(Qt::white) : TesselBrand::ink());
        painter.setFont(font());
        painter.drawText(frame, Qt::AlignCenter, text());
    }

private:
    Style m_style;
    bool m_keyboardFocus = false;
};

// A word on a rounded patch of faint ink, beside a row's title.
class Badge final : public QLabel {
public:
    Badge(const QString& text, QWidget* parent) : QLabel(text, parent)
    {
        setTextFormat(Qt::PlainText);
        setFont(Typography::font(TextStyle::caption2, QFont::DemiBold));
        setTextColor(this, TesselBrand::withOpacity(TesselBrand::ink(), 0.5));
        // Six points and half an x on either side of the word.
        const int x = fontMetrics().horizontalAdvance(u'x');
        setContentsMargins(6 + x / 2, 1, 6 + x - x / 2, 1);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        { // the patch's painter ends before the label's begins
            QPainter painter(this);
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath capsule;
            capsule.addRoundedRect(QRectF(rect()), 7, 7);
            painter.fillPath(capsule, TesselBrand::withOpacity(TesselBrand::ink(), 0.08));
        }
        QLabel::paintEvent(event);
    }
};

// The permission's state as a symbol: a check mark when granted, an empty
// circle for an optional permission, a dashed circle for the required one.
class StatusIcon final : public QWidget {
public:
    explicit StatusIcon(QWidget* parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("statusIcon"));
        setFixedSize(24, 20);
    }
    void setState(bool granted, bool optional)
    {
        if (granted) {
            m_symbol = QStringLiteral("checkmark.circle.fill");
            m_color = systemGreen();
        } else if (optional) {
            m_symbol = QStringLiteral("circle");
            m_color = TesselBrand::withOpacity(TesselBrand::ink(), 0.3);
        } else {
            m_symbol = QStringLiteral("circle.dashed");
            m_color = systemOrange();
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // The title-3 symbol: a little taller than the body text beside it.
        const double side = Typography::pointSize(TextStyle::title3) + 2;
        Symbols::paint(painter, QRectF((width() - side) / 2, 1, side, side), m_symbol, m_color);
    }

private:
    QString m_symbol;
    QColor m_color;
};

} // namespace

// One permission: its state, what it is for, and the buttons that ask the
// host for it or open its privacy pane.
class PermissionRow final : public QWidget {
public:
    struct Action {
        QString title;
        std::function<void()> run;
    };

    PermissionRow(const QString& title, const QString& detail, bool optional, Action primary,
                  const std::function<void()>& settingsAction, QWidget* parent)
        : QWidget(parent), m_optional(optional)
    {
        setObjectName(title);
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(12, 12, 12, 12);
        row->setSpacing(12);

        m_icon = new StatusIcon(this);
        row->addWidget(m_icon, 0, Qt::AlignTop);

        auto* texts = new QVBoxLayout;
        texts->setSpacing(3);
        auto* titleLine = new QHBoxLayout;
        titleLine->setSpacing(6);
        titleLine->addWidget(makeLabel(title, Typography::font(TextStyle::body, QFont::Medium),
                                       TesselBrand::ink(), this));
        if (optional)
            titleLine->addWidget(new Badge(OnboardingView::tr("Optional"), this), 0,
                                 Qt::AlignVCenter);
        titleLine->addStretch(1);
        texts->addLayout(titleLine);
        texts->addWidget(makeWrappingLabel(detail, Typography::font(TextStyle::caption),
                                           TesselBrand::withOpacity(TesselBrand::ink(), 0.55),
                                           this));
        m_status = makeWrappingLabel(QString(), Typography::font(TextStyle::caption),
                                     systemOrange(), this);
        m_status->setObjectName(QStringLiteral("statusText"));
        m_status->hide();
        texts->addWidget(m_status);
        row->addLayout(texts, 1);

        auto* buttons = new QVBoxLayout;
        buttons->setSpacing(4);
        m_primary = new BrandButton(primary.title, BrandButton::Style::bordered, this);
        connect(m_primary, &QPushButton::clicked, this, std::move(primary.run));
        buttons->addWidget(m_primary, 0, Qt::AlignRight);
        QPushButton* settings = new BrandButton(OnboardingView::tr("System Settings"),
                                                BrandButton::Style::bordered, this);
        connect(settings, &QPushButton::clicked, this, settingsAction);
        buttons->addWidget(settings, 0, Qt::AlignRight);
        buttons->addStretch(1);
        row->addLayout(buttons);

        setState(false, std::nullopt);
    }

    void setState(bool granted, const std::optional<QString>& statusText)
    {
        m_icon->setState(granted, m_optional);
        m_primary->setVisible(!granted);
        m_status->setVisible(statusText.has_value());
        m_status->setText(statusText.value_or(QString()));
        setTextColor(m_status, granted ? systemGreen() : systemOrange());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath shape = continuousRoundedBorder(QRectF(rect()), 10, 1);
        painter.fillPath(shape, QColor(255, 255, 255, 140));
        painter.strokePath(shape, QPen(TesselBrand::hairline(), 1));
    }

private:
    bool m_optional;
    StatusIcon* m_icon = nullptr;
    QPushButton* m_primary = nullptr;
    QLabel* m_status = nullptr;
};

OnboardingView::OnboardingView(OnboardingModel& model, std::function<void()> onDone,
                               QWidget* parent)
    : QWidget(parent), m_model(model), m_onDone(std::move(onDone))
{
    // Always the light look on the brand's cream, whatever the desktop's theme.
    setPalette(BrandStyle::palette());
    setAutoFillBackground(true);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(28, 28, 28, 28);
    stack->setSpacing(20);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(0, 8, 0, 0);
    header->setSpacing(10);
    header->addWidget(new Wordmark(170, this), 0, Qt::AlignHCenter);
    QLabel* tagline = makeWrappingLabel(
        tr("Tessel Nav shows every browser window visually so you can jump to the right one "
           "instantly."),
        Typography::font(TextStyle::callout), TesselBrand::withOpacity(TesselBrand::ink(), 0.65),
        this);
    tagline->setAlignment(Qt::AlignHCenter);
    tagline->setFixedWidth(380); // the sentence is longer than that: it wraps at 380
    header->addWidget(tagline, 0, Qt::AlignHCenter);
    stack->addLayout(header);

    auto* rows = new QVBoxLayout;
    rows->setSpacing(12);
    m_accessibilityRow = new PermissionRow(
        tr("Accessibility"),
        tr("Lists and focuses your browser windows, and powers the Option+Tab shortcut."), false,
        {tr("Request"), [this] { m_model.requestAccessibility(); }},
        [this] { m_model.openPane(QStringLiteral("Privacy_Accessibility")); }, this);
    m_screenRecordingRow = new PermissionRow(
        tr("Screen Recording"),
        tr("Draws the live window previews. Skip it and Tessel shows clean labeled tiles instead "
           "\u2014 it never needs to see your screen. Named \u201cScreen & System Audio "
           "Recording\u201d in System Settings."),
        true, {tr("Request"), [this] { m_model.requestScreenRecording(); }},
        [this] { m_model.openPane(QStringLiteral("Privacy_ScreenCapture")); }, this);
    m_automationRow = new PermissionRow(
        tr("Browser Automation"),
        tr("Reads tab titles and URLs to label each window. Skip it and windows are labeled by "
           "their title. macOS asks once per browser."),
        true, {tr("Test"), [this] { m_model.testAutomation(); }},
        [this] { m_model.openPane(QStringLiteral("Privacy_Automation")); }, this);
    rows->addWidget(m_accessibilityRow);
    rows->addWidget(m_screenRecordingRow);
    rows->addWidget(m_automationRow);
    stack->addLayout(rows);

    stack->addWidget(makeWrappingLabel(
        tr("Only Accessibility is required \u2014 Tessel can run without ever seeing your screen. "
           "Your browsing stays on your Mac: no analytics, no accounts, ever."),
        Typography::font(TextStyle::caption), TesselBrand::withOpacity(TesselBrand::ink(), 0.42),
        this));

    QPushButton* done = new BrandButton(tr("Done"), BrandButton::Style::prominent, this);
    connect(done, &QPushButton::clicked, this, [this] { m_onDone(); });
    stack->addWidget(done, 0, Qt::AlignHCenter);
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { m_onDone(); });

    for (const auto signal :
         {&OnboardingModel::accessibilityChanged, &OnboardingModel::screenRecordingChanged,
          &OnboardingModel::automationResultChanged, &OnboardingModel::automationOKChanged})
        connect(&m_model, signal, this, &OnboardingView::refreshRows);
    refreshRows();
}

OnboardingView::~OnboardingView() = default;

void OnboardingView::refreshRows()
{
    m_accessibilityRow->setState(m_model.accessibility(), std::nullopt);
    m_screenRecordingRow->setState(m_model.screenRecording(), std::nullopt);
    m_automationRow->setState(m_model.automationOK(), m_model.automationResult());
    fitHeight();
}

void OnboardingView::fitHeight()
{
    setFixedSize(windowWidth, heightForWidth(windowWidth));
}

bool OnboardingView::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    // A row's new text reaches this layout only through the row's own layout
    // pass, so the height is fitted again once the rows have settled.
    if (event->type() == QEvent::LayoutRequest)
        fitHeight();
    return handled;
}

void OnboardingView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_model.startPolling();
}

void OnboardingView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_model.stopPolling();
}

void OnboardingView::mousePressEvent(QMouseEvent* event)
{
    // The window moves when its background is dragged.
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
    QWidget::mousePressEvent(event);
}
