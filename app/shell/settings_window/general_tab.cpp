#include "app/shell/settings_window/general_tab.h"

#include "app/controller/tiling_controller.h"
#include "app/shell/settings_window/settings_style.h"
#include "app/shell/settings_window/settings_texts.h"
#include "app/shell/settings_window/settings_window_services.h"
#include "app/shell/updates/updater.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace morvanta {

using T = SettingsTexts;

GeneralTab::GeneralTab(const SettingsWindowServices& services, QWidget* parent)
    : QWidget(parent), services_(services), tiling_(new QCheckBox(T::tileAutomatically)),
      login_(new QCheckBox(T::openAtLogin)) {
    auto* column = settings_ui::pageColumn(this);
    column->addWidget(permissionRow());
    column->addSpacing(6);
    column->addWidget(tiling_);
    column->addWidget(login_);
    column->addSpacing(10);
    column->addWidget(updatesSection());
    column->addStretch();

    connect(tiling_, &QCheckBox::toggled, this,
            [this](bool on) { services_.controller.commands().setPaused(!on); });
    connect(login_, &QCheckBox::toggled, this, [this](bool on) {
        services_.settings.setLaunchAtLogin(on);
        // After a failure the toggle shows the entry's real state again.
        const QSignalBlocker blocker(login_);
        login_->setChecked(services_.settings.launchAtLogin());
    });
    trustObserver_ = services_.controller.isTrusted().addObserver([this](bool) { showState(); });
    pausedObserver_ = services_.controller.isPaused().addObserver([this](bool) { showState(); });
    showState();
}

GeneralTab::~GeneralTab() = default;

QWidget* GeneralTab::permissionRow() {
    auto* row = new QWidget;
    permissionIcon_ = new QLabel;
    permissionTitle_ = settings_ui::sectionTitle(T::permissionNeeded);
    permissionText_ = settings_ui::text({});
    grant_ = new QPushButton(T::grantPermission);
    connect(grant_, &QPushButton::clicked, this,
            [this] { services_.controller.requestPermission(); });
    auto* texts = new QVBoxLayout;
    texts->addWidget(permissionTitle_);
    texts->addWidget(permissionText_);
    texts->addWidget(grant_, 0, Qt::AlignLeft);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(permissionIcon_, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    return row;
}

QWidget* GeneralTab::updatesSection() {
    auto* section = new QWidget;
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(settings_ui::sectionTitle(T::updates));
    Updater* updater = services_.updater;
    if (!updater || !updater->isAvailable()) {
        column->addWidget(settings_ui::note(Updater::switchedOffText));
        return section;
    }
    autoUpdate_ = new QCheckBox(T::checkAutomatically);
    betas_ = new QCheckBox(T::betaUpdates);
    autoUpdate_->setChecked(updater->automaticallyChecksForUpdates());
    betas_->setChecked(updater->receivesBetaUpdates());
    connect(autoUpdate_, &QCheckBox::toggled, this,
            [updater](bool on) { updater->setAutomaticallyChecksForUpdates(on); });
    connect(betas_, &QCheckBox::toggled, this,
            [updater](bool on) { updater->setReceivesBetaUpdates(on); });
    column->addWidget(autoUpdate_);
    column->addWidget(betas_);
    column->addWidget(settings_ui::note(T::betaNote));
    return section;
}

void GeneralTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showState();
}

void GeneralTab::showState() {
    const bool trusted = services_.controller.isTrusted().get();
    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    const auto icon = trusted ? QStyle::SP_DialogApplyButton : QStyle::SP_MessageBoxWarning;
    permissionIcon_->setPixmap(style()->standardIcon(icon).pixmap(iconSize, iconSize));
    permissionTitle_->setVisible(!trusted);
    permissionText_->setText(trusted ? T::permissionGranted : T::permissionNeededText);
    grant_->setVisible(!trusted);
    const QSignalBlocker tilingBlocker(tiling_);
    tiling_->setChecked(!services_.controller.isPaused().get());
    const QSignalBlocker loginBlocker(login_);
    login_->setChecked(services_.settings.launchAtLogin());
}

} // namespace morvanta
