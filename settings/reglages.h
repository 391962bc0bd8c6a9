#pragma once

#include <QSettings>
#include <memory>

// The per-user settings key "Software\Telmira" (organisation "Telmira").
// Tests redirect it with QSettings::setPath or by pointing XDG_CONFIG_HOME elsewhere.
std::unique_ptr<QSettings> ouvreReglages();
