#pragma once

#include "Platform/Alerts.h"

#include <QList>

#include <deque>

// Alerts answered in advance and recorded, for tests: nothing is drawn and
// runModal() returns at once with the next prepared answer, or with the
// default button and empty fields when none is prepared.
class SimAlerts final : public Alerts {
public:
    AlertResponse runModal(const Alert& alert) override
    {
        m_shown << alert;
        if (m_answers.empty())
            return AlertResponse{0, QStringList(alert.fields.size(), QString())};
        AlertResponse answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    // Control face.
    void answerNext(const AlertResponse& response) { m_answers.push_back(response); }
    const QList<Alert>& shown() const { return m_shown; }

private:
    std::deque<AlertResponse> m_answers;
    QList<Alert> m_shown;
};
