// clustmat: turns a multi-environment trial's design data file into a cluster
// matrix file, through a short console dialogue.

#include "app/console_texts.h"
#include "app/data_file_dialogue.h"
#include "app/help_and_version.h"
#include "design/loader.h"
#include "matrix/analysis_choice.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
    prepare_standard_streams();
    if (Request request = requested_by(argc, argv); request != Request::dialogue)
        return answer_request(request);
    hold_console_at_exit();
    install_interrupt_handling();
    select_language(argc, argv);
    print_banner();
    open_data_file();
    load_trait_cube();
    return run_analysis();
}
