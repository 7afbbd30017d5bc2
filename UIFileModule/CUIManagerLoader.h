#pragma once

class IUIManager;

// Reaches the host's UI-manager object: loads the "UIManager" library by name and calls its
// "CreateObject". The manager's global UI data record caches the pointer for the process.
class CUIManagerLoader
{
public:
    // The UI manager straight from the library's factory; null when the library or export is missing.
    static IUIManager* Load();
    // The pointer cached in the global UI data record (filled by Load() when empty).
    static IUIManager* Cached();
};
