// Every window of the program, created once.
#pragma once

class TApplication;

// Creates each window in the order the program relies on (the start window first:
// it is the main window) and sets the global that names it. The windows live as
// long as the application; whoever ends it first clears the globals it keeps using.
void CreateAllForms(TApplication& application);
