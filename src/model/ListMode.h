#pragma once

// Which list the window shows, and so where it is saved: the standard list, the history list, an external
// list (or a new unnamed one), or nothing (during start-up, or when the standard list could not be read).
enum class ListMode
{
    Standard,
    History,
    External,
    NoList
};
