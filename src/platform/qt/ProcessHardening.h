#pragma once

// Keeps the accounts in this process's memory out of reach of other processes: no core file is written when
// the program crashes, and other processes of the same user may not attach to it or read its memory. Called
// first thing in main(), before any secret is read. Returns false when a step failed (the program still runs).
bool hardenProcess();
