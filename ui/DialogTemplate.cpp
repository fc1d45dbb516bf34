// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogTemplate.h"

#include "ui/Controls.h"
#include "ui/Resource.h"

#include <QDialog>
#include <QFile>
#include <QFontMetrics>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>

// The resources live in this static library; its users need not know.
static void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

QJsonObject LoadTemplate(int id)
{
    InitResources();
    QFile file(QStringLiteral(":/dialogs/dialog%1.json").arg(id));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("dialog template %d missing", id);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (!doc.isObject())
        qFatal("dialog template %d: %s", id, qPrintable(error.errorString()));
    return doc.object();
}

QRect RectOf(const QJsonValue& value)
{
    const QJsonArray a = value.toArray();
    return QRect(a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt(), a.at(3).toInt());
}

int MulDiv(int value, int numerator, int denominator)
{
    // Rounds half away from zero, as the platform's MulDiv does.
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

// The id a template names (IDC_...), from the one list of them; -2 when unknown.
int ControlIdOf(const QString& name)
{
    static const QHash<QString, int> kIds = {
#define RAVELMARK_CONTROL_NAME(id, value) {QStringLiteral(#id), (value)},
        RAVELMARK_CONTROL_IDS(RAVELMARK_CONTROL_NAME)
#undef RAVELMARK_CONTROL_NAME
    };
    return kIds.value(name, -2);
}

} // namespace

CDialogTemplate::CDialogTemplate(int id)
    : m_id(id)
{
}

QWidget* CDialogTemplate::Control(int id) const
{
    QWidget* control = m_controls.value(id);
    if (!control)
        qFatal("dialog template %d has no control %d", m_id, id);
    return control;
}

QRect CDialogTemplate::ToPixels(const QRect& units, const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, as the platform measures a dialog font.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = (letters / 26 + 1) / 2;
    const int baseY = metrics.height();
    return QRect(MulDiv(units.x(), baseX, 4), MulDiv(units.y(), baseY, 8), MulDiv(units.width(), baseX, 4),
                 MulDiv(units.height(), baseY, 8));
}

void CDialogTemplate::Build(QDialog& dialog)
{
    const QJsonObject tpl = LoadTemplate(m_id);
    const QJsonObject fontSpec = tpl.value(QStringLiteral("font")).toObject();
    QFont font(fontSpec.value(QStringLiteral("family")).toString(), fontSpec.value(QStringLiteral("points")).toInt());
    font.setStyleHint(QFont::SansSerif);
    dialog.setFont(font);
    dialog.setWindowTitle(tpl.value(QStringLiteral("caption")).toString());

    // Only the buttons the template names: no maximise box, and the fixed size below makes the
    // window manager offer no resizing. The application's window is a window of its own (a task
    // bar button, no owner); the others are dialogs over their owner.
    const bool appWindow = tpl.value(QStringLiteral("appWindow")).toBool();
    Qt::WindowFlags flags = (appWindow ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl.value(QStringLiteral("minimizeBox")).toBool())
        flags |= Qt::WindowMinimizeButtonHint;
    dialog.setWindowFlags(flags);
    dialog.setSizeGripEnabled(false);

    const QJsonArray size = tpl.value(QStringLiteral("size")).toArray();
    dialog.setFixedSize(ToPixels(QRect(0, 0, size.at(0).toInt(), size.at(1).toInt()), font).size());

    QWidget* previous = nullptr;
    for (const QJsonValue value : tpl.value(QStringLiteral("controls")).toArray()) {
        const QJsonObject item = value.toObject();
        const QString kind = item.value(QStringLiteral("kind")).toString();
        const QString text = item.value(QStringLiteral("text")).toString();
        QWidget* control = nullptr;
        if (kind == QLatin1String("button")) {
            auto* button = new QPushButton(text, &dialog);
            // No default button: Enter presses only a button that has the focus.
            button->setAutoDefault(false);
            button->setDefault(false);
            control = button;
        } else if (kind == QLatin1String("label")) {
            auto* label = new QLabel(text, &dialog);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            control = label;
        } else if (kind == QLatin1String("edit")) {
            control = new CEditField(&dialog);
        } else if (kind == QLatin1String("list")) {
            control = new CListView(&dialog);
        } else if (kind == QLatin1String("combo")) {
            control = new CComboBox(item.value(QStringLiteral("sorted")).toBool(), &dialog);
        } else {
            qFatal("dialog template %d: unknown control kind %s", m_id, qPrintable(kind));
        }
        QRect rect = ToPixels(RectOf(item.value(QStringLiteral("rect"))), font);
        // A combo box's height in the template includes its dropped list.
        if (kind == QLatin1String("combo"))
            rect.setHeight(control->sizeHint().height());
        control->setGeometry(rect);
        control->setEnabled(!item.value(QStringLiteral("disabled")).toBool());
        if (kind == QLatin1String("label")) {
            control->setFocusPolicy(Qt::NoFocus);
        } else {
            control->setFocusPolicy(Qt::StrongFocus);
            if (previous)
                QWidget::setTabOrder(previous, control);
            previous = control;
        }
        const QString name = item.value(QStringLiteral("id")).toString();
        const int id = ControlIdOf(name);
        if (id == -2)
            qFatal("dialog template %d: unknown control id %s", m_id, qPrintable(name));
        if (id != IDC_STATIC)
            m_controls.insert(id, control);
    }
}
