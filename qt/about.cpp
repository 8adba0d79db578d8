#include "qt/about.hpp"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "qt/pictures.hpp"
#include "window/texts.hpp"

namespace z5 {

void centreOnScreen(QWidget& window) {
    window.adjustSize();
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2,
                area.y() + (area.height() - size.height()) / 2);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8(kAboutTitle));
    setModal(false);

    auto* logo = new QLabel(this);
    logo->setPixmap(drawLogo(72));
    auto* texts = new QVBoxLayout;
    for (std::size_t i = 0; i < kAboutLineCount; ++i) {
        auto* label = new QLabel(QString::fromStdString(kAboutLines[i]), this);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(label);
    }

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setIcon(drawOkFace(32));
    cmdOK->setIconSize(QSize(32, 32));
    cmdOK->setToolTip(QStringLiteral("OK"));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto* top = new QHBoxLayout;
    top->addWidget(logo, 0, Qt::AlignTop);
    top->addLayout(texts);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(cmdOK, 0, Qt::AlignHCenter);
}

void frmAbout::Form_Load() {
    centreOnScreen(*this);
    show();
    raise();
    activateWindow();
}

void frmAbout::cmdOK_Click() {
    close();
}

}  // namespace z5
