// The colour conversions and the window record's derived texts.
//
// Properties beyond not crashing:
// - colorFromHex accepts exactly "#"? followed by six hexadecimal digits, and
//   toHex gives the same digits back in upper case;
// - toHex of any valid colour is six upper-case digits that read back to the
//   colour's components (clamped to 0 to 1) within one 255th;
// - a record's id has the form of the first rule that applies, whatever its
//   frame holds (NaN, infinities, numbers beyond 64 bits);
// - a domain is present exactly when the record has a URL that names a file or
//   a host, and a host loses at most one leading "www.";
// - a profile name heads a Safari title before its first " — " and meets every
//   condition on a profile name.

#include "FuzzInput.h"
#include "Models/ColorHex.h"
#include "Models/SafariWindow.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <cmath>

namespace {

const QString separator = QStringLiteral(" \u2014 ");

void checkHexText(const QString& text)
{
    static const QRegularExpression hex(
        QRegularExpression::anchoredPattern(QStringLiteral("#?[0-9A-Fa-f]{6}")));
    const std::optional<QColor> color = colorFromHex(text);
    FUZZ_CHECK(
        color.has_value() == hex.match(text).hasMatch(),
        QStringLiteral("colorFromHex(\"%1\") accepted: %2").arg(text).arg(color.has_value()));
    if (!color)
        return;
    const QString digits = text.startsWith(QLatin1Char('#')) ? text.mid(1) : text;
    FUZZ_CHECK(toHex(*color) == digits.toUpper(),
               QStringLiteral("\"%1\" reads back as %2").arg(text, toHex(*color).value_or("none")));
}

float component(FuzzInput& input)
{
    // Mostly inside 0 to 1, sometimes outside it (extended range).
    if (input.range(0, 3) > 0)
        return float(input.byte()) / 255.0f;
    return float(std::fmod(input.finiteDouble(), 4.0));
}

void checkColor(FuzzInput& input)
{
    QColor color;
    switch (input.range(0, 3)) {
    case 0:
        color = QColor::fromRgbF(component(input), component(input), component(input),
                                 component(input));
        break;
    case 1:
        color = QColor::fromHsvF(component(input), component(input), component(input));
        break;
    case 2:
        color = QColor::fromCmykF(component(input), component(input), component(input),
                                  component(input));
        break;
    default:
        color = QColor(input.text(16)); // named colours, "#rgb", anything
        break;
    }
    const std::optional<QString> hex = toHex(color);
    FUZZ_CHECK(hex.has_value() == color.isValid(),
               QStringLiteral("toHex of a valid colour failed"));
    if (!hex)
        return;
    FUZZ_CHECK(hex->size() == 6 && *hex == hex->toUpper() && colorFromHex(*hex),
               QStringLiteral("toHex gave \"%1\"").arg(*hex));
    const QColor back = *colorFromHex(*hex);
    const QColor rgb = color.spec() == QColor::ExtendedRgb ? color : color.toRgb();
    const auto near = [](float original, float read) {
        return std::abs(std::clamp(original, 0.0f, 1.0f) - read) <= 1.0f / 255.0f + 1e-6f;
    };
    FUZZ_CHECK(near(rgb.redF(), back.redF()) && near(rgb.greenF(), back.greenF()) &&
                   near(rgb.blueF(), back.blueF()),
               QStringLiteral("%1 does not read back as (%2, %3, %4)")
                   .arg(*hex)
                   .arg(rgb.redF())
                   .arg(rgb.greenF())
                   .arg(rgb.blueF()));
}

SafariWindow record(FuzzInput& input)
{
    SafariWindow window;
    window.browser = Browser::allCases()[input.range(0, Browser::count - 1)];
    window.pid = pid_t(input.u32());
    if (input.flag())
        window.windowID = input.u32();
    if (input.flag())
        window.scriptWindowID = input.textOrWord({"7", "Poster.psd", "a-b"});
    window.title = input.textOrWord({"Work \u2014 Inbox", "\u2014 x", "build"});
    window.frame =
        QRectF(input.anyDouble(), input.anyDouble(), input.anyDouble(), input.anyDouble());
    switch (input.range(0, 3)) {
    case 0:
        break;
    case 1:
        window.tabURL = QUrl(input.text(), QUrl::TolerantMode);
        break;
    case 2:
        window.tabURL = QUrl::fromLocalFile(input.text());
        break;
    default:
        window.tabURL = QUrl(QStringLiteral("https://") + input.text(32) + QLatin1Char('/'));
        break;
    }
    return window;
}

// The decimal text of a coordinate as the id gives it: the value without its
// fraction where it fits in 64 bits.
bool coordinateMatches(const QString& text, double value)
{
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok)
        return false;
    if (!std::isfinite(value) || std::abs(value) >= 9.2e18)
        return true; // left to the implementation, as long as it is a number
    return number == qint64(std::trunc(value));
}

void checkId(const SafariWindow& window)
{
    const QString id = window.id();
    const QString app = window.browser.rawValue();
    QString expected;
    if (window.browser.isDocumentApp() && window.scriptWindowID)
        expected = QStringLiteral("doc-") + app + QLatin1Char('-') + *window.scriptWindowID;
    else if (window.windowID)
        expected = QStringLiteral("cg-") + QString::number(*window.windowID);
    else if (window.scriptWindowID)
        expected = QStringLiteral("as-") + app + QLatin1Char('-') + *window.scriptWindowID;
    if (!expected.isEmpty()) {
        FUZZ_CHECK(id == expected, QStringLiteral("id %1, expected %2").arg(id, expected));
        return;
    }
    const QString head = QStringLiteral("ax-") + QString::number(window.pid) + QLatin1Char('-') +
                         window.title + QLatin1Char('-');
    FUZZ_CHECK(id.startsWith(head), QStringLiteral("id %1 does not start with %2").arg(id, head));
    // The two coordinates follow, each possibly negative: "-10--3".
    static const QRegularExpression coordinates(
        QRegularExpression::anchoredPattern(QStringLiteral("(-?[0-9]+)-(-?[0-9]+)")));
    const QRegularExpressionMatch match = coordinates.match(id.mid(head.size()));
    FUZZ_CHECK(match.hasMatch() && coordinateMatches(match.captured(1), window.frame.x()) &&
                   coordinateMatches(match.captured(2), window.frame.y()),
               QStringLiteral("id %1 for origin (%2, %3)")
                   .arg(id)
                   .arg(window.frame.x())
                   .arg(window.frame.y()));
}

void checkDomain(const SafariWindow& window)
{
    const std::optional<QString> domain = window.domain();
    if (!window.tabURL) {
        FUZZ_CHECK(!domain, QStringLiteral("a domain without a URL"));
        return;
    }
    const QUrl& url = *window.tabURL;
    if (url.isLocalFile()) {
        FUZZ_CHECK(domain.has_value(),
                   QStringLiteral("no domain for the file URL %1").arg(url.toString()));
        return;
    }
    const QString host = url.host();
    FUZZ_CHECK(
        domain.has_value() == !host.isEmpty(),
        QStringLiteral("domain present: %1 for the host \"%2\"").arg(domain.has_value()).arg(host));
    if (!domain)
        return;
    FUZZ_CHECK(*domain == host || QStringLiteral("www.") + *domain == host,
               QStringLiteral("domain %1 of the host %2").arg(*domain, host));
    FUZZ_CHECK(!domain->isEmpty() || host == QStringLiteral("www."),
               QStringLiteral("empty domain of the host %1").arg(host));
}

int graphemes(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

void checkProfileName(const SafariWindow& window)
{
    const std::optional<QString> name = window.profileName();
    const qsizetype at = window.title.indexOf(separator);
    const QString prefix = window.title.left(at);
    const bool qualifies = window.browser == Browser::safari && at > 0 && graphemes(prefix) < 25 &&
                           !prefix.contains(QLatin1Char('|')) &&
                           !prefix.contains(QLatin1Char('/')) && !prefix.contains(QLatin1Char('.'));
    FUZZ_CHECK(name.has_value() == qualifies, QStringLiteral("profile name present: %1 for \"%2\"")
                                                  .arg(name.has_value())
                                                  .arg(window.title));
    if (name)
        FUZZ_CHECK(*name == prefix && !name->contains(separator),
                   QStringLiteral("profile name %1 of \"%2\"").arg(*name, window.title));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureFuzzApplication();
    FuzzInput input(data, size);
    switch (input.range(0, 2)) {
    case 0:
        checkHexText(input.textOrWord({"#FF8000", "ff8000", "##FF8000", "+12345", "0x1234"}, 9));
        break;
    case 1:
        checkColor(input);
        break;
    default: {
        const SafariWindow window = record(input);
        checkId(window);
        checkDomain(window);
        checkProfileName(window);
        break;
    }
    }
    return 0;
}
