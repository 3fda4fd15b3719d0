#include "CComboBox2.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>

#include <algorithm>

CComboBox2::CComboBox2(QWidget *parent)
    : QComboBox(parent), completer_(new QCompleter(this)), filterModel_(new QStringListModel(this))
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(12);
    completer_->setModel(filterModel_);
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setWidget(lineEdit());
    // The completer is not installed with setCompleter: it must not complete by itself, only
    // show the list this box computes. A chosen entry becomes the box's text.
    connect(completer_, qOverload<const QString &>(&QCompleter::activated), this,
            [this](const QString &text) { setEditText(text); });
    connect(lineEdit(), &QLineEdit::textEdited, this, &CComboBox2::OnTextEdited);
}

void CComboBox2::AppendHistory(const QString &text)
{
    history_.append(text);
}

QStringList CComboBox2::FilterHistory(const QStringList &history, const QString &typed)
{
    QStringList entries;
    if (typed.isEmpty())
        return entries;
    const QString needle = typed.toLower();
    const QString marker = QString::fromUtf16(kCutMarker);
    for (const QString &text : history) {
        QString lower = text.toLower();
        if (!lower.contains(needle))
            continue;
        const qsizetype cut = lower.indexOf(marker);
        if (cut >= 0)
            lower.truncate(cut);
        entries.append(lower);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

void CComboBox2::OnTextEdited(const QString &text)
{
    const int cursor = lineEdit()->cursorPosition();
    const QStringList entries = FilterHistory(history_, text);
    filterModel_->setStringList(entries);
    if (entries.isEmpty()) {
        completer_->popup()->hide();
    } else {
        completer_->complete();
        setCursor(Qt::ArrowCursor);
    }
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
    Q_EMIT TextTyped(text);
}

bool CComboBox2::IsFilterShown() const
{
    return completer_->popup()->isVisible();
}

QStringList CComboBox2::FilterEntries() const
{
    return filterModel_->stringList();
}

void CComboBox2::showPopup()
{
    const QString text = currentText();
    completer_->popup()->hide();
    QStringList sorted = history_;
    std::sort(sorted.begin(), sorted.end());
    blockSignals(true);
    clear();
    addItems(sorted);
    setCurrentIndex(-1);
    setEditText(text);
    blockSignals(false);
    QComboBox::showPopup();
}
