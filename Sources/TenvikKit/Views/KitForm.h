// SPDX-License-Identifier: MIT
// KitForm.h: the grouped-form look of the kit's windows, in Qt Widgets: a form is a column of
// sections, each an optional header over a rounded box of rows separated by thin lines;
// captions are small and in the secondary text colour; errors are small and red. Colours come
// from the widget's palette (the red is picked for a light or a dark window), so both themes
// read well.
#pragma once

#include <QColor>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QString>

class QVBoxLayout;
class QLayout;

namespace tenvik {

namespace form {

// The secondary text colour: the window text, faded towards the window.
QColor secondaryColor(const QPalette& palette);
// Red that reads on the palette's window colour.
QColor errorColor(const QPalette& palette);
QColor greenColor(const QPalette& palette);
bool isDark(const QPalette& palette);

QLabel* caption(const QString& text, QWidget* parent = nullptr);
QLabel* secondaryText(const QString& text, QWidget* parent = nullptr);
QLabel* errorCaption(const QString& text, QWidget* parent = nullptr);
// Re-applies the colours after a palette change (captions keep their role in a property).
void refreshColors(QWidget* root);

}  // namespace form

// One section of a grouped form: its rows go into a rounded box.
class FormSection : public QWidget {
public:
    explicit FormSection(const QString& header = QString(), QWidget* parent = nullptr);

    // Adds a row (a widget, or a layout wrapped in one); a separator line goes between rows.
    // Answers the row's cell: hiding it hides the row with its line.
    QWidget* addRow(QWidget* row);
    QWidget* addRow(QLayout* row);

private:
    QFrame* box_;
    QVBoxLayout* rows_;
    int count_ = 0;
};

// The form itself: sections stacked from the top, the rest of the space left empty.
class GroupedForm : public QWidget {
public:
    explicit GroupedForm(QWidget* parent = nullptr);
    FormSection* addSection(const QString& header = QString());
    QVBoxLayout* column() const { return column_; }

private:
    QVBoxLayout* column_;
};

}  // namespace tenvik
