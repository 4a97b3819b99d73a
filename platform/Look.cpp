#include "platform/Look.h"
#include "platform/Connection.h"
#include <QAbstractListModel>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
#include <QStringListModel>
#include <QTabWidget>
#include <QTranslator>

bool InstallChineseLook(QApplication& app)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(9);
    app.setFont(font);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    static QTranslator* qtTexts = nullptr;
    if (qtTexts) return true;
    auto* t = new QTranslator(&app);
    if (!t->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    qtTexts = t;
    return true;
}

void SetEditText(QLineEdit* edit, const QString& text)
{
    edit->setText(text);
    edit->setCursorPosition(0);
}

void SetComboItems(QComboBox* combo, const QStringList& items)
{
    if (auto* m = qobject_cast<QStringListModel*>(combo->model())) {
        m->setStringList(items);
        return;
    }
    combo->setModel(new QStringListModel(items, combo));
}

namespace {

// A read-only list of texts held as their UTF-8 bytes in one block.
class Utf8ListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    QByteArray bytes;
    QVector<qsizetype> ends;   // row i is bytes[ends[i - 1], ends[i])

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(ends.size()); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= ends.size() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        const qsizetype from = index.row() ? ends[index.row() - 1] : 0;
        return QString::fromUtf8(bytes.constData() + from, ends[index.row()] - from);
    }
};

} // namespace

void SetComboItemsFromRows(QComboBox* combo, TStatement& rows)
{
    auto* m = new Utf8ListModel(combo);
    while (rows.next()) {
        const QByteArrayView text = rows.textBytes(0);
        if (!text.isNull()) m->bytes.append(text);
        else if (const QVariant v = rows.value(0); !v.isNull()) m->bytes.append(v.toString().toUtf8());
        m->ends.append(m->bytes.size());
    }
    combo->setModel(m);
}

void CentreOnOwner(QWidget* window)
{
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    QScreen* screen = owner ? owner->screen() : window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect avail = screen ? screen->availableGeometry() : QRect();
    // The client areas are placed, not the frames: a frame the window system has
    // not reported yet would move the first opening.
    QRect r(QPoint(0, 0), window->size());
    r.moveCenter(owner ? owner->geometry().center() : avail.center());
    if (avail.isValid()) {
        r.moveLeft(std::max(avail.left(), std::min(r.left(), avail.right() - r.width() + 1)));
        r.moveTop(std::max(avail.top(), std::min(r.top(), avail.bottom() - r.height() + 1)));
    }
    window->setGeometry(r);
}

void UseFlatButtonTabs(QTabWidget* tabs)
{
    tabs->setProperty(FlatButtonTabsProperty, true);
    tabs->setDocumentMode(true);
    tabs->setStyleSheet(QStringLiteral(
        "QTabWidget[flatButtonTabs=\"true\"]::pane { border: none; }\n"
        "QTabWidget[flatButtonTabs=\"true\"] > QTabBar::tab { background: transparent; border: 1px solid transparent;"
        " padding: 4px 16px; margin: 2px 3px 3px 0; }\n"
        "QTabWidget[flatButtonTabs=\"true\"] > QTabBar::tab:selected { background: #d4d0c8;"
        " border-color: #808080 #ffffff #ffffff #808080; }\n"
        "QTabWidget[flatButtonTabs=\"true\"] > QTabBar::tab:hover:!selected { border-color: #ffffff #808080 #808080 #ffffff; }"));
}
