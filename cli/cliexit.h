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
};
