// The date text of the catalogue: formats taken from the locale once, then
// formatted and parsed by hand, since QLocale re-reads a pattern on every
// call and a list load or a sort handles thousands of texts.
#include "catalogue/DateTimeValue.h"

#include <algorithm>

namespace lumitag {

namespace {

using Token = DateTextFormat::Token;

bool IsFieldLetter(QChar c)
{
    switch (c.unicode()) {
    case u'd': case u'M': case u'y': case u'H': case u'h': case u'm': case u's':
    case u'z': case u'a': case u'A': case u't':
        return true;
    default:
        return false;
    }
}

void AppendLiteral(std::vector<Token>& tokens, const QString& text)
{
    if (text.isEmpty())
        return;
    if (!tokens.empty() && tokens.back().field.isNull())
        tokens.back().literal += text;
    else
        tokens.push_back(Token{QChar(), 0, text});
}

// QLocale's pattern syntax: runs of one letter are fields, 'quoted text' and
// every other character are literal, '' is a quote.
std::vector<Token> Tokenize(QStringView pattern)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = pattern.size();
    while (i < n) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            QString text;
            if (i + 1 < n && pattern[i + 1] == u'\'') {
                text = u"'"_qs;
                i += 2;
            } else {
                for (++i; i < n; ++i) {
                    if (pattern[i] != u'\'') {
                        text += pattern[i];
                    } else if (i + 1 < n && pattern[i + 1] == u'\'') {
                        text += u'\'';
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                }
            }
            AppendLiteral(tokens, text);
        } else if (IsFieldLetter(c)) {
            qsizetype run = 1;
            if ((c == u'a' || c == u'A') && i + 1 < n && (pattern[i + 1] == u'p' || pattern[i + 1] == u'P'))
                run = 2;  // "AP" and "ap" are one field
            else
                while (i + run < n && pattern[i + run] == c)
                    ++run;
            tokens.push_back(Token{c, static_cast<int>(run), {}});
            i += run;
        } else {
            AppendLiteral(tokens, QString(c));
            ++i;
        }
    }
    return tokens;
}

bool IsNumericDate(const std::vector<Token>& tokens)
{
    for (const Token& token : tokens) {
        if (token.field.isNull() || token.field == u'y')
            continue;
        if ((token.field != u'd' && token.field != u'M') || token.count > 2)
            return false;
    }
    return true;
}

bool IsSupportedTime(const std::vector<Token>& tokens)
{
    for (const Token& token : tokens) {
        if (token.field.isNull() || token.field == u'a' || token.field == u'A')
            continue;
        const char16_t f = token.field.unicode();
        if ((f != u'H' && f != u'h' && f != u'm' && f != u's') || token.count > 2)
            return false;
    }
    return true;
}

bool IsOpeningOrBlank(QChar c)
{
    return c.isSpace() || c == u'(' || c == u'[' || c == u'{';
}

bool IsClosingOrBlank(QChar c)
{
    return c.isSpace() || c == u')' || c == u']' || c == u'}';
}

void RemoveEmptyLiterals(std::vector<Token>& tokens)
{
    std::erase_if(tokens, [](const Token& t) { return t.field.isNull() && t.literal.isEmpty(); });
}

// Drops the time-zone field with the blanks and brackets around it, so that
// "H:mm:ss (t)" becomes "H:mm:ss" and "t HH:mm:ss" becomes "HH:mm:ss".
void RemoveTimeZone(std::vector<Token>& tokens)
{
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k].field != u't')
            continue;
        if (k > 0 && tokens[k - 1].field.isNull()) {
            QString& before = tokens[k - 1].literal;
            while (!before.isEmpty() && IsOpeningOrBlank(before.back()))
                before.chop(1);
        }
        if (k + 1 < tokens.size() && tokens[k + 1].field.isNull()) {
            QString& after = tokens[k + 1].literal;
            qsizetype cut = 0;
            while (cut < after.size() && IsClosingOrBlank(after[cut]))
                ++cut;
            after.remove(0, cut);
        }
        tokens[k].field = QChar();
        tokens[k].literal.clear();
    }
    RemoveEmptyLiterals(tokens);
    if (!tokens.empty() && tokens.front().field.isNull()) {
        QString& first = tokens.front().literal;
        qsizetype cut = 0;
        while (cut < first.size() && first[cut].isSpace())
            ++cut;
        first.remove(0, cut);
    }
    if (!tokens.empty() && tokens.back().field.isNull()) {
        QString& last = tokens.back().literal;
        while (!last.isEmpty() && last.back().isSpace())
            last.chop(1);
    }
    RemoveEmptyLiterals(tokens);
}

QString ToPattern(const std::vector<Token>& tokens)
{
    QString pattern;
    for (const Token& token : tokens) {
        if (token.field == u'a' || token.field == u'A') {
            pattern += token.field == u'A' ? u"AP" : u"ap";
        } else if (!token.field.isNull()) {
            pattern += QString(token.count, token.field);
        } else if (std::any_of(token.literal.begin(), token.literal.end(),
                               [](QChar c) { return c.isLetter() || c == u'\''; })) {
            QString quoted = token.literal;
            quoted.replace(u'\'', u"''"_qs);
            pattern += u'\'' + quoted + u'\'';
        } else {
            pattern += token.literal;
        }
    }
    return pattern;
}

char32_t CodePointAt(QStringView text, qsizetype pos, qsizetype& length)
{
    const QChar c = text[pos];
    if (c.isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate()) {
        length = 2;
        return QChar::surrogateToUcs4(c, text[pos + 1]);
    }
    length = 1;
    return c.unicode();
}

}  // namespace

DateTextFormat::DateTextFormat(const QLocale& locale) : locale_(locale)
{
    date_ = Tokenize(locale.dateFormat(QLocale::ShortFormat));
    time_ = Tokenize(locale.timeFormat(QLocale::LongFormat));
    RemoveTimeZone(time_);
    const bool numericDate = IsNumericDate(date_);
    if (!numericDate)
        date_ = Tokenize(u"yyyy-MM-dd");
    else
        for (Token& token : date_)
            if (token.field == u'y')
                token.count = 4;
    if (!numericDate || !IsSupportedTime(time_))
        time_ = Tokenize(u"HH:mm:ss");
    for (const Token& token : time_)
        if (token.field == u'a' || token.field == u'A')
            twelveHour_ = true;
    const QString zero = locale.zeroDigit();
    qsizetype length = 0;
    zeroDigit_ = zero.isEmpty() ? U'0' : CodePointAt(zero, 0, length);
    amText_ = locale.amText();
    pmText_ = locale.pmText();
}

QString DateTextFormat::datePattern() const
{
    return ToPattern(date_);
}

QString DateTextFormat::timePattern() const
{
    return ToPattern(time_);
}

void DateTextFormat::AppendNumber(QString& out, int value, int minDigits) const
{
    char digits[16];
    int count = 0;
    do {
        digits[count++] = static_cast<char>(value % 10);
        value /= 10;
    } while (value > 0 && count < 16);
    while (count < minDigits && count < 16)
        digits[count++] = 0;
    while (count > 0) {
        const char32_t digit = zeroDigit_ + static_cast<char32_t>(digits[--count]);
        if (QChar::requiresSurrogates(digit)) {
            out += QChar(QChar::highSurrogate(digit));
            out += QChar(QChar::lowSurrogate(digit));
        } else {
            out += QChar(static_cast<char16_t>(digit));
        }
    }
}

void DateTextFormat::AppendTokens(QString& out, const std::vector<Token>& tokens, const DateTimeParts& parts) const
{
    for (const Token& token : tokens) {
        switch (token.field.unicode()) {
        case 0: out += token.literal; break;
        case u'y': AppendNumber(out, parts.year, 4); break;
        case u'M': AppendNumber(out, parts.month, token.count); break;
        case u'd': AppendNumber(out, parts.day, token.count); break;
        case u'H': AppendNumber(out, parts.hour, token.count); break;
        case u'h': {
            const int hour = twelveHour_ ? (parts.hour % 12 == 0 ? 12 : parts.hour % 12) : parts.hour;
            AppendNumber(out, hour, token.count);
            break;
        }
        case u'm': AppendNumber(out, parts.minute, token.count); break;
        case u's': AppendNumber(out, parts.second, token.count); break;
        case u'a': out += (parts.hour < 12 ? amText_ : pmText_).toLower(); break;
        case u'A': out += (parts.hour < 12 ? amText_ : pmText_).toUpper(); break;
        }
    }
}

QString DateTextFormat::Format(DateTimeValue value) const
{
    const auto parts = DecodeDateTime(value);
    if (!parts)
        return {};
    QString text;
    text.reserve(32);
    AppendTokens(text, date_, *parts);
    if (parts->hour != 0 || parts->minute != 0 || parts->second != 0) {
        text += u' ';
        AppendTokens(text, time_, *parts);
    }
    return text;
}

bool DateTextFormat::ParseNumber(QStringView text, qsizetype& pos, int minDigits, int maxDigits, int& value) const
{
    value = 0;
    int digits = 0;
    while (digits < maxDigits && pos < text.size()) {
        qsizetype length = 0;
        const char32_t c = CodePointAt(text, pos, length);
        int digit = -1;
        if (c >= U'0' && c <= U'9')
            digit = static_cast<int>(c - U'0');
        else if (c >= zeroDigit_ && c <= zeroDigit_ + 9)
            digit = static_cast<int>(c - zeroDigit_);
        if (digit < 0)
            break;
        value = value * 10 + digit;
        ++digits;
        pos += length;
    }
    return digits >= minDigits;
}

bool DateTextFormat::ParseTokens(QStringView text, qsizetype& pos, const std::vector<Token>& tokens,
                                 DateTimeParts& parts, bool& afternoon) const
{
    for (const Token& token : tokens) {
        const char16_t field = token.field.unicode();
        bool ok = true;
        switch (field) {
        case 0:
            ok = text.sliced(pos).startsWith(token.literal);
            pos += token.literal.size();
            break;
        case u'y': ok = ParseNumber(text, pos, 4, 4, parts.year); break;
        case u'M': ok = ParseNumber(text, pos, 1, 2, parts.month); break;
        case u'd': ok = ParseNumber(text, pos, 1, 2, parts.day); break;
        case u'H': case u'h': ok = ParseNumber(text, pos, 1, 2, parts.hour); break;
        case u'm': ok = ParseNumber(text, pos, 1, 2, parts.minute); break;
        case u's': ok = ParseNumber(text, pos, 1, 2, parts.second); break;
        case u'a': case u'A': {
            const QStringView rest = text.sliced(pos);
            // The longer text first, in case one begins with the other.
            const bool pmFirst = pmText_.size() >= amText_.size();
            const QString& first = pmFirst ? pmText_ : amText_;
            const QString& second = pmFirst ? amText_ : pmText_;
            if (!first.isEmpty() && rest.startsWith(first, Qt::CaseInsensitive)) {
                afternoon = pmFirst;
                pos += first.size();
            } else if (!second.isEmpty() && rest.startsWith(second, Qt::CaseInsensitive)) {
                afternoon = !pmFirst;
                pos += second.size();
            } else {
                ok = false;
            }
            break;
        }
        }
        if (!ok)
            return false;
    }
    return true;
}

std::optional<DateTimeValue> DateTextFormat::Parse(QStringView text) const
{
    text = text.trimmed();
    DateTimeParts parts;
    qsizetype pos = 0;
    bool afternoon = false;
    if (!ParseTokens(text, pos, date_, parts, afternoon))
        return std::nullopt;
    if (pos < text.size()) {
        if (text[pos] != u' ')
            return std::nullopt;
        ++pos;
        if (!ParseTokens(text, pos, time_, parts, afternoon) || pos != text.size())
            return std::nullopt;
        if (twelveHour_) {
            if (parts.hour < 1 || parts.hour > 12)
                return std::nullopt;
            parts.hour = parts.hour % 12 + (afternoon ? 12 : 0);
        }
    }
    return EncodeDateTime(parts);
}

const DateTextFormat& CurrentDateTextFormat()
{
    // One per thread, rebuilt when the default locale changes.
    thread_local std::optional<DateTextFormat> cached;
    const QLocale current;
    if (!cached || cached->locale() != current)
        cached.emplace(current);
    return *cached;
}

QString DateText(DateTimeValue value)
{
    if (value == kNoDate)
        return u"no date"_qs;
    return FormatDateTime(value);
}

QString FormatDateTime(DateTimeValue value)
{
    return CurrentDateTextFormat().Format(value);
}

std::optional<DateTimeValue> ParseDateText(QStringView text)
{
    return CurrentDateTextFormat().Parse(text);
}

}  // namespace lumitag
