#pragma once

// Which way a configuration run moves the files of its set.
enum class TransferMode : int {
    Download = 0,
    Upload = 1,
    Delete = 2,
};
