#include "platform/Look.h"
#include <QApplication>
#include <QComboBox>
#include <QStringListModel>
#include <QFont>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>
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
