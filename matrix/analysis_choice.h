// The last stage of a run: which factor to analyse, and its matrix file.
#pragma once

// Shows the analysis menu, reads the choice and writes the cluster matrix
// file of the loaded cube, which replaces any earlier one only once it is
// complete and on the disk; then names the file and its size on stderr.
// Gives the run's exit status: 0 when the file is in place, -1 when writing
// it failed (the earlier file is then unchanged). An invalid choice, a
// matrix file that would replace the data file, or one that can't be
// created ends the run through fatal_exit.
int run_analysis();
