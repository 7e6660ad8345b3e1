#pragma once
// Splitting a script line into comma- or blank-separated fields.
//
// Blanks are the space and every control character (codes 1 to 32). Blanks at
// the start, around commas and between fields are dropped; an unquoted field
// runs up to the next comma or blank; a field that begins with a double quote
// runs up to the closing quote, two quotes inside standing for one. Two commas
// with only blanks between them give an empty field, and so does a comma with
// only blanks after it at the end of the line. A line of blanks gives no field.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace scriptfields {

// One field as a view into the line. For a quoted field the view holds the
// text between the quotes as it stands in the line, so doubled quotes are
// still doubled there; fieldText() makes them single.
struct Field {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool doubledQuotes = false; // the raw view holds at least one "" pair

    qsizetype size() const { return end - begin; }
    QByteArrayView raw() const { return QByteArrayView(begin, size()); }
};

// Splits [begin, end) into fields, storing at most maxFields of them in out and
// stopping there. Returns how many were stored.
int split(const char* begin, const char* end, Field* out, int maxFields);

// The field's text with every doubled quote made single.
QByteArray fieldText(const Field& field);

// Every field of a line, as text.
QList<QByteArray> splitAll(QByteArrayView line);

} // namespace scriptfields
