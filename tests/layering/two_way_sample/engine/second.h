// One way only would be allowed: this header includes nothing of its folder.
#pragma once
