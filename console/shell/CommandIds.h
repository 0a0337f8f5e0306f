#pragma once

// Command and resource ids of the console. The framework's standard ids
// keep their usual numbers; the console's own commands are 32773 to 32781.
namespace Cmd {

constexpr int ID_FILE_NEW = 57600;          // Apri
constexpr int ID_FILE_OPEN = 57601;         // Apri da filelist
constexpr int ID_FILE_CLOSE = 57602;        // Chiudi
constexpr int ID_APP_ABOUT = 57664;         // Informazioni su Brenlow...
constexpr int ID_APP_EXIT = 57665;          // Esci
constexpr int ID_WINDOW_ARRANGE = 57649;    // Disponi icone
constexpr int ID_WINDOW_CASCADE = 57650;    // Sovrapponi
constexpr int ID_WINDOW_TILE_HORZ = 57651;  // Affianca
constexpr int ID_VIEW_TOOLBAR = 59392;      // Barra degli strumenti
constexpr int ID_VIEW_STATUS_BAR = 59393;   // Barra di stato

constexpr int ID_OPZIONI = 32773;
constexpr int ID_DATI_STATISTICI = 32774;
constexpr int ID_SALVA_TUTTI = 32778;
constexpr int ID_RESET_TUTTI = 32779;
constexpr int ID_AGGIORNA = 32780;
constexpr int ID_TASTIERA = 32781;

} // namespace Cmd

namespace Res {

constexpr int IDD_ABOUTBOX = 100;
constexpr int IDR_MAINFRAME = 128;     // main frame menu, toolbar and icon
constexpr int IDR_BRENLOWTYPE = 129;   // screen window menu and document type
constexpr int IDD_IPADDRESS = 130;
constexpr int IDD_STATISTICS = 132;

} // namespace Res

// The main frame's one-second timer that repaints the screen windows
// whose image changed.
constexpr int REFRESH_TIMER = 1000;
constexpr int kRefreshPeriodMs = 1000;
