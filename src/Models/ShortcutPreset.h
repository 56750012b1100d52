#pragma once
// The three shortcuts that can summon the switcher; stored by raw value.

enum class ShortcutPreset { optionTab, controlOptionTab, optionGrave };
