#include "UGlassManager.h"

#include "UException.h"

namespace tv {

TGlassManager::TGlassManager() { Refresh(); }

void TGlassManager::Refresh() { Enabled = CompositionEnabled(); }

bool TGlassManager::CompositionEnabled() { return false; }

void TGlassManager::ExtendFrame(QWidget*, int)
{
    TV_ASSERT(Enabled, "Glass must be Enabled");
}

void TGlassManager::SetColorKey(QWidget*, const QColor&)
{
    TV_ASSERT(Enabled, "Glass must be Enabled");
}

void TGlassManager::ClearLayered(QWidget*) {}

} // namespace tv
