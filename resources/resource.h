#pragma once
// Resource IDs of the stub.
#define IDI_APP 128
