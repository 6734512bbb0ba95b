// Removing the uninstaller's own file and folder once it has ended.
#pragma once

/// Writes "\BvDelIns.bat" in the current drive's root and starts it suspended
/// at idle priority, then raises the uninstaller's own priority so that the
/// batch runs only when the uninstaller is ending. Fails silently.
void RemoveSelf();
