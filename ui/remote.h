#pragma once
// The window under remote control: what a client of the board's SCPI service
// does is shown as the user's own work.

class TForm1;

namespace evm::scpi {
class BoardInstrument;
}

// After each register or field write of a client the panel follows the image
// (RefreshControls, inside the client's operation, as after the window's own
// direct write); the history and the register map follow the board as they
// always do. A client's failures go to its error queue, never into a box
// that would hold every client until someone at the window answers it.
void followRemoteClients(TForm1& form, evm::scpi::BoardInstrument& instrument);
