#ifndef WIN32_DETAILSBOX_H_
#define WIN32_DETAILSBOX_H_

#include <windows.h>

#include <string>

// The window's own message box, for a message that comes with details: the
// icon, text and title as MessageBoxA shows them, OK (and Cancel for
// MB_OKCANCEL; every other button type gets OK alone), and a button that
// opens an area below, closed at first, where the details can be read,
// selected and copied. Modal to owner, as MessageBoxA is; answers IDOK or
// IDCANCEL. details has "\n" line ends; every text is shown in the ANSI
// code page, its bytes unchanged.
int DetailsBox(HWND owner, const std::string& text, const std::string& title,
               UINT type, const std::string& details);

// The texts of the button that opens and closes the details area.
inline constexpr char kShowDetails[] = "Show Details...";
inline constexpr char kHideDetails[] = "Hide Details...";

#endif  // WIN32_DETAILSBOX_H_
