// The interface language, applied at start-up and changed from the options
// panel without a restart: every text the program has already put on
// screen is put there again in the new language.
#pragma once

namespace lw {

// Loads the main menu of the interface language, with the show/hide items
// checked as the strip shows its buttons. Submenus others add to it at run
// time (the player's clips) are taken out of the old menu first: their
// owners put them into the new one when it next opens.
void LoadMenuOfLanguage();

// Makes `language` (409 English or 418 Romanian; anything else is English)
// the interface language, in this order: the settings; the tree's texts
// (new nodes' title, the favourites root); the Find/Replace and Search Node
// windows made again; the strip's tooltips; the menu; the options panel;
// the password box's label; the player's tooltips; the notes palette's
// title; the information report, when it is the page on screen.
void ApplyLanguage(int language);

}  // namespace lw
