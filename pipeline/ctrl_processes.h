// The program's three workers (toast, print, event), one of each per
// process, wired to the process-wide agent library and settings store.
#pragma once

class CEventCtrlProcess;
class CPrintCtrlProcess;
class CToastCtrlProcess;

// Each is created on first use, after the ones it depends on (the event
// worker pushes into the print worker, both report through the toast
// control), and destroyed at exit in the reverse order, each stopping its
// worker first.
CToastCtrlProcess& ToastCtrlProcess();
CPrintCtrlProcess& PrintCtrlProcess();
CEventCtrlProcess& EventCtrlProcess();
