#pragma once

// The key combination that opens the switcher; stored in the settings by raw
// value. Kept in a header of its own so that the global shortcut can use it
// without pulling in every setting enumeration.
enum class ShortcutPreset { optionTab, controlOptionTab, optionGrave };
