// The last stage of a run: which factor to analyse, and its matrix file.
#pragma once

// Shows the analysis menu, reads the choice and writes the cluster matrix
// file of the loaded cube. Gives the run's exit status: 0 when the file is
// complete and closed, -1 when writing or closing it failed (the incomplete
// file is then removed). An invalid choice, a matrix file that would replace
// the data file, or one that can't be created ends the run through
// fatal_exit.
int run_analysis();
