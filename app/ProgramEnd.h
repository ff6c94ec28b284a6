#pragma once

// The one way a run ends before its loop is over by itself: the exit hot spot, a termination
// signal, the end of the desktop session, or any other caller that must end the program.
// Open dialogs are closed without their OK (so nothing typed in them is stored), every event
// loop of the run ends, and the run then writes the document and removes the working files
// as at every end; the exit status is 0.

// Ends the run as described. Safe to call at any time and more than once: before the main
// loop runs (during the login) the login ends as if cancelled; a dialog that code opens after
// its own was closed is closed as well, until the main loop has ended.
void EndProgram();
// EndProgram for a termination signal or the end of the desktop session: nobody is there to
// answer a message box, so the final save's messages go to the standard error stream, and a
// save that fails ends the program with a non-zero status (the working files are kept).
void EndProgramUnattended();
// True when the run's end came through EndProgramUnattended; kept until the next run starts.
bool EndingUnattended();

// True once EndProgram was called in this run.
bool ProgramEnding();

// Called by the run when its main loop has returned, and before a new run: stops closing
// dialogs, so the messages of the final save are seen; clears the ending state (but not
// EndingUnattended, which ClearUnattendedEnd clears before a new run).
void FinishProgramEnd();
void ClearUnattendedEnd();
