#pragma once

#include <QComboBox>
#include <QStringList>

class QCompleter;
class QStringListModel;

// An editable combo box with a history: the blog address box (1001) and the save folder box
// (1000). `history` only grows. Opening the drop-down lists the whole history, sorted. Typing
// shows, in a pop-up list under the box, the history texts that contain the typed text (both
// compared in lower case) in lower case, each cut before the marker "tql?!oxff", sorted; the
// pop-up closes when the text is empty or nothing matches. The typed text and its cursor stay
// as typed.
//
// Owned by the main window; GUI thread only.
class CComboBox2 : public QComboBox {
    Q_OBJECT

public:
    static constexpr char16_t kCutMarker[] = u"tql?!oxff";

    explicit CComboBox2(QWidget *parent);

    void AppendHistory(const QString &text);
    QStringList History() const { return history_; }

    // The pop-up list of the typing filter: shown or not, and its entries in order.
    bool IsFilterShown() const;
    QStringList FilterEntries() const;
    // What the filter lists for `typed` out of `history` (empty for an empty `typed`).
    static QStringList FilterHistory(const QStringList &history, const QString &typed);

    void showPopup() override;

Q_SIGNALS:
    // The user typed (not a programmatic change); after the filter has been updated.
    void TextTyped(const QString &text);

private:
    void OnTextEdited(const QString &text);

    QStringList history_;
    QCompleter *completer_;
    QStringListModel *filterModel_;
};
