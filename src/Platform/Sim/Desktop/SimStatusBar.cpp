#include "Platform/Sim/Desktop/SimStatusBar.h"

std::unique_ptr<StatusItem> SimStatusBar::createSquareItem()
{
    return std::make_unique<SimStatusItem>(*this);
}

SimStatusItem::SimStatusItem(SimStatusBar& bar) : m_bar(bar)
{
    m_bar.m_items << this;
    emit m_bar.changed();
}

SimStatusItem::~SimStatusItem()
{
    m_bar.m_items.removeOne(this);
    emit m_bar.changed();
}

void SimStatusItem::setImage(const QImage& image, bool isTemplate)
{
    m_image = image;
    m_isTemplate = isTemplate;
    emit m_bar.changed();
}

void SimStatusItem::setClickHandler(std::function<void(const StatusItemClick&)> handler)
{
    m_handler = std::move(handler);
}

void SimStatusItem::click(const StatusItemClick& click)
{
    // The handler may open a nested event loop (a menu, an alert) in which
    // this item is replaced; it works on its own copy.
    if (const auto handler = m_handler)
        handler(click);
}
