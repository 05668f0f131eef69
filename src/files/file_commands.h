// The File commands and the save question.
#pragma once

// Asked before the picture is closed or replaced while modified; false means the user cancelled.
[[nodiscard]] bool AskToSaveChanges();
