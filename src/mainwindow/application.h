#pragma once

class QApplication;

// What the running program sets up once before its first window: Qt's own Japanese
// translations (context menus, message box buttons), the Japanese default font and the icon.
void PrepareApplication(QApplication &app);
