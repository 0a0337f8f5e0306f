#pragma once

#include <QString>

// The zoom of each controller's screen window, kept in the operator's own
// settings (user scope, "Prevok S.p.A./Brenlow") under the controller's
// address, so a panel opens again as big as it was left.
namespace ZoomSettings {

constexpr int kMinZoom = 1;
constexpr int kMaxZoom = 4;

// The zoom remembered for the address; 1 when none is, or when the stored
// value is not a zoom the console offers.
int Load(const QString &address);
void Save(const QString &address, int zoom);

} // namespace ZoomSettings
