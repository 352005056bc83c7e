// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/JsonPrefix.h"

#include <QJsonValue>

#include <array>
#include <optional>
#include <utility>

namespace {

// Reads the object member by member; each step returns false where the text ends or stops
// being an object, which ends the reading.
class PrefixReader
{
public:
    explicit PrefixReader(QStringView text) : m_text(text) {}

    JsonPrefix read()
    {
        const qsizetype open = m_text.indexOf(u'{');
        if (open < 0)
            return m_result;
        m_at = open + 1;
        while (member()) {
        }
        return m_result;
    }

private:
    bool member()
    {
        skipBlanks();
        if (atEnd() || peek() == u'}')
            return false;
        if (peek() == u',') {
            ++m_at;
            return true;
        }
        if (peek() != u'"')
            return false;
        ++m_at;
        QString key;
        if (!string(key))
            return false;
        skipBlanks();
        if (atEnd() || peek() != u':')
            return false;
        ++m_at;
        skipBlanks();
        return !atEnd() && value(key);
    }

    bool value(const QString& key)
    {
        const QChar first = peek();
        if (first == u'"') {
            ++m_at;
            QString text;
            if (!string(text)) {
                m_result.openKey = key;
                m_result.openString = text;
                return false;
            }
            m_result.complete.insert(key, text);
            return true;
        }
        if (first == u'-' || first.isDigit())
            return number(key);
        if (first == u'{' || first == u'[')
            return nested();
        for (const auto& [word, meaning] : literals()) {
            if (m_text.sliced(m_at).startsWith(word)) {
                m_at += word.size();
                m_result.complete.insert(key, meaning);
                return true;
            }
        }
        return false;
    }

    static const std::array<std::pair<QStringView, QJsonValue>, 3>& literals()
    {
        static const std::array<std::pair<QStringView, QJsonValue>, 3> words{
            {{u"true", QJsonValue(true)},
             {u"false", QJsonValue(false)},
             {u"null", QJsonValue(QJsonValue::Null)}}};
        return words;
    }

    // A string's characters after its opening quote, to its closing one; false when the text
    // ends first, with `out` holding what there was.
    bool string(QString& out)
    {
        while (!atEnd()) {
            const QChar c = m_text[m_at];
            if (c == u'"') {
                ++m_at;
                return true;
            }
            if (c != u'\\') {
                out += c;
                ++m_at;
                continue;
            }
            const std::optional<QChar> escaped = escape();
            if (!escaped)
                return false;
            out += *escaped;
        }
        return false;
    }

    // The escape at the cursor, which it passes; absent when the text ends inside it.
    std::optional<QChar> escape()
    {
        if (m_at + 1 >= m_text.size())
            return std::nullopt;
        const QChar kind = m_text[m_at + 1];
        if (kind == u'u') {
            if (m_at + 6 > m_text.size())
                return std::nullopt;
            bool ok = false;
            const ushort unit = m_text.sliced(m_at + 2, 4).toUShort(&ok, 16);
            m_at += 6;
            return ok ? QChar(unit) : QChar(QChar::ReplacementCharacter);
        }
        m_at += 2;
        switch (kind.unicode()) {
        case u'n':
            return QChar(u'\n');
        case u't':
            return QChar(u'\t');
        case u'r':
            return QChar(u'\r');
        case u'b':
            return QChar(u'\b');
        case u'f':
            return QChar(u'\f');
        default:
            return kind; // \" \\ \/ and anything else stand for themselves
        }
    }

    bool number(const QString& key)
    {
        const qsizetype start = m_at;
        while (!atEnd() && (peek().isDigit() || QStringView(u"+-.eE").contains(peek())))
            ++m_at;
        if (atEnd())
            return false; // more digits may follow
        const QStringView digits = m_text.sliced(start, m_at - start);
        bool whole = false;
        const qint64 integer = digits.toLongLong(&whole);
        bool ok = whole;
        const double real = whole ? 0 : digits.toDouble(&ok);
        if (!ok)
            return false;
        m_result.complete.insert(key, whole ? QJsonValue(integer) : QJsonValue(real));
        return true;
    }

    // Passes over a nested object or array, strings in it included.
    bool nested()
    {
        int depth = 0;
        while (!atEnd()) {
            const QChar c = m_text[m_at++];
            if (c == u'{' || c == u'[') {
                ++depth;
            } else if (c == u'}' || c == u']') {
                if (--depth == 0)
                    return true;
            } else if (c == u'"') {
                QString ignored;
                if (!string(ignored))
                    return false;
            }
        }
        return false;
    }

    void skipBlanks()
    {
        while (!atEnd() && peek().isSpace())
            ++m_at;
    }

    bool atEnd() const { return m_at >= m_text.size(); }
    QChar peek() const { return m_text[m_at]; }

    QStringView m_text;
    qsizetype m_at = 0;
    JsonPrefix m_result;
};

} // namespace

JsonPrefix JsonPrefix::read(QStringView text)
{
    return PrefixReader(text).read();
}
