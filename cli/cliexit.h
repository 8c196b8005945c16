#pragma once

// Exit status of votkbox-cli.
enum CliExit
{
    CLI_OK = 0,
    CLI_USAGE = 1,
    CLI_NO_BOX = 2,
    CLI_NO_ANSWER = 3,
    CLI_REFUSED = 4,
    CLI_UPGRADE_FAILED = 5,
    // Standard output could not be written; the box was still left clean.
    CLI_OUTPUT_FAILED = 6,
    // Another program holds the box's lock; it was not opened.
    CLI_BOX_IN_USE = 7,
};
