#include "language.h"

#include "iniprofile.h"
#include "picturebutton.h"
#include "programdir.h"
#include "programwindows.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QStackedWidget>

namespace kd::i18n {

namespace {

constexpr auto kCatalogueFile = "language.ini";

// Catalogue and language files name files relative to the program directory
// with Windows separators; on other systems those are turned into "/".
QString programFile(const QString& relative) {
    QString name = relative;
#ifndef Q_OS_WIN
    name.replace(u'\\', u'/');
#endif
    return kd::programDirectory() + name;
}

IniProfile readCatalogue() {
    return IniProfile::fromFile(programFile(QString::fromLatin1(kCatalogueFile)));
}

QPixmap blankFlag() {
    QPixmap flag(kFlagSize, kFlagSize);
    flag.fill(Qt::transparent);
    return flag;
}

// Loads a flag picture; a null pixmap when the file cannot be read as one.
QPixmap loadFlag(const QString& path) {
    QImage image;
    if (!image.load(path))
        return QPixmap();
    if (image.size() != QSize(kFlagSize, kFlagSize))
        image = image.scaled(kFlagSize, kFlagSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(image);
}

bool isDataAware(const QWidget* w) {
    const QString name = w->objectName();
    return name.size() > 2 && name.startsWith(QLatin1String("DB")) && name.at(2).isUpper();
}

// True when the control is a control of `window` itself: placed on it, not on
// another window (a dialog) that has `window` as its parent, and not a part of
// a data-aware control (the navigator's buttons).
bool isOwnControl(const QWidget* control, const QWidget* window) {
    for (const QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
        if (w == window)
            return true;
        if (w->isWindow() || isDataAware(w))
            return false;
    }
    return false;
}

// Sets the caption of a control of a kind that takes one; the other kinds keep
// their texts.
void setCaption(QWidget* w, const QString& text) {
    if (isDataAware(w) || w->isWindow())
        return;
    if (auto* label = qobject_cast<QLabel*>(w)) {
        // Picture buttons and labels used as images show a picture, not a text.
        if (qobject_cast<kd::PictureButton*>(label) || !label->pixmap().isNull() || label->movie())
            return;
        label->setText(text);
        if (!label->wordWrap()) {
            const QSize hint = label->sizeHint();
            if (hint.width() > label->width() || hint.height() > label->height())
                label->resize(qMax(hint.width(), label->width()),
                              qMax(hint.height(), label->height()));
        }
        return;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
        return;
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(text);
        return;
    }
    // A panel: a plain frame, not a tab sheet. Qt frames draw no text of their
    // own; the text is kept where a panel that shows one reads it.
    if (w->metaObject() == &QFrame::staticMetaObject &&
        !qobject_cast<QStackedWidget*>(w->parentWidget()))
        w->setProperty("text", text);
}

}  // namespace

void BuildLanguageList(QComboBox* box, QList<QPixmap>* flags) {
    if (!box || !flags)
        return;
    const IniProfile catalogue = readCatalogue();
    const int count = catalogue.readInteger(QStringLiteral("0"), QStringLiteral("count"), 0);

    box->clear();
    box->setEditable(false);
    flags->clear();

    // The one picture the whole loop reuses: an entry without "image" keeps
    // what the entry before it loaded.
    QPixmap picture = blankFlag();
    QStringList names;
    for (int k = 1; k <= count; ++k) {
        const QString section = QString::number(k);
        names << catalogue.readString(section, QStringLiteral("name"), QStringLiteral("error"));
        const QString image = catalogue.readString(section, QStringLiteral("image"));
        if (!image.isEmpty()) {
            const QPixmap loaded = loadFlag(programFile(image));
            picture = loaded.isNull() ? blankFlag() : loaded;
        }
        flags->append(picture);
    }
    box->addItems(names);
    // Filling an empty box selects its first item; the caller selects.
    box->setCurrentIndex(-1);
}

QString LanguageFileStem(int index) {
    const QString section = QString::number(qint64(index) + 1);
    return readCatalogue().readString(section, QStringLiteral("file"));
}

void LoadLanguage(QWidget* window, int section, const QString& stem) {
    if (!window)
        return;
    const IniProfile file = IniProfile::fromFile(programFile(stem + QStringLiteral(".ini")));
    const QString name = QString::number(section);

    window->setWindowTitle(file.readString(name, QStringLiteral("titel")));
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (control->objectName().size() < 2 || !isOwnControl(control, window))
            continue;
        const QString text = file.readString(name, control->objectName());
        if (!text.isEmpty())
            setCaption(control, text);
    }
}

void ApplyCurrentLanguage(QWidget* window, int section) {
    if (!window)
        return;
    const QComboBox* box = kd::windows().Sprachwahl;
    const QString stem = LanguageFileStem(box ? box->currentIndex() : -1);
    if (!stem.isEmpty())
        LoadLanguage(window, section, stem);
}

QString CurrentLanguageName() {
    const QComboBox* box = kd::windows().Sprachwahl;
    return box ? box->currentText() : QString();
}

}  // namespace kd::i18n
