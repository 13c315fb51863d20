// Fills a UI object's submenus in hosts that never pass WM_INITMENUPOPUP to a context menu
// handler (Wine's folder view tracks the menu itself and keeps the message). While a UI object
// is watched, a hook on its thread hands it every WM_INITMENUPOPUP the thread's windows get;
// the handler must ignore popups that are not its own and popups it has filled already, so a
// host that does pass the message on sees no difference.
#pragma once

namespace corvasin
{

class CShellUIObject;

// Both on the thread that owns the object. Watching twice is watching once; the object must
// stop being watched before it is destroyed (its destructor does that).
void WatchMenuPopups(CShellUIObject* pObject) noexcept;
void StopWatchingMenuPopups(CShellUIObject* pObject) noexcept;

} // namespace corvasin
