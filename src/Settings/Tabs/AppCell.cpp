#include "Settings/Tabs/AppCell.h"

#include "Brand/TesselBrand.h"
#include "Brand/Typography.h"
#include "Settings/Controls/MiniSwitch.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

constexpr double dotSide = 7;
constexpr double gap = 6;

} // namespace

AppCell::AppCell(Browser browser, QWidget* parent)
    : QWidget(parent), m_browser(browser), m_switch(new MiniSwitch(this))
{
    setFont(Typography::font(TextStyle::body));
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setToolTip(browser.displayName());
    m_switch->hide();
    connect(m_switch, &MiniSwitch::clicked, this, [this](bool on) { emit toggled(m_browser, on); });
}

void AppCell::display(bool installed, bool enabled)
{
    m_installed = installed;
    m_switch->setVisible(installed);
    m_switch->setChecked(enabled);
    update();
}

QSize AppCell::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return QSizeF(dotSide + gap + metrics.horizontalAdvance(m_browser.displayName()) + gap +
                      m_switch->sizeHint().width(),
                  std::max<double>(metrics.height(), m_switch->sizeHint().height()) + 2)
        .toSize();
}

void AppCell::resizeEvent(QResizeEvent*)
{
    placeSwitch();
}

void AppCell::placeSwitch()
{
    const QSize side = m_switch->sizeHint();
    m_switch->setGeometry(width() - side.width(), (height() - side.height()) / 2, side.width(),
                          side.height());
}

void AppCell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const double midY = height() / 2.0;

    QColor dot = m_browser.badgeColor();
    QColor text = TesselBrand::ink();
    if (!m_installed) {
        dot = TesselBrand::withOpacity(TesselBrand::ink(), 0.15);
        text = TesselBrand::withOpacity(TesselBrand::ink(), 0.3);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(dot);
    painter.drawEllipse(QRectF(0, midY - dotSide / 2, dotSide, dotSide));

    const double nameLeft = dotSide + gap;
    const double nameRight = m_installed ? m_switch->x() - gap : width() - 2;
    const QFontMetricsF metrics(font());
    const QString name = metrics.elidedText(m_browser.displayName(), Qt::ElideRight,
                                            std::max(0.0, nameRight - nameLeft));
    painter.setPen(text);
    painter.setFont(font());
    painter.drawText(QRectF(nameLeft, 0, nameRight - nameLeft, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
}
