#include "shell/about.hpp"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "commands/texts.hpp"
#include "shell/pictures.hpp"

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
    Label1 = new QLabel(QString::fromUtf8(kAboutCredit), this);
    Label2 = new QLabel(QString::fromUtf8(kAboutSiteName), this);
    Label3 = new QLabel(QString::fromUtf8(kAboutSite), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setTextInteractionFlags(Qt::TextSelectableByMouse);

    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setIcon(drawOkFace(32));
    cmdOK->setIconSize(QSize(32, 32));
    cmdOK->setToolTip(QStringLiteral("OK"));
    cmdOK->setAccessibleName(QStringLiteral("OK"));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    auto* texts = new QVBoxLayout;
    texts->addWidget(Label1);
    texts->addWidget(Label2);
    texts->addWidget(Label3);
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
