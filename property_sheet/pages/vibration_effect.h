// The Vibration Test page's one constant-force effect, and how a wanted
// pair of motor strengths becomes its parameters.
//
// The effect has two Cartesian axes, X and Y of the joystick format. The
// driver shares a constant force's magnitude between the axes in
// proportion to the direction's components, so a direction of (left,
// right) with a magnitude of the pair's length gives back forces in
// proportion to the left strength on X and the right strength on Y.
#pragma once

#include <windows.h>
#include <dinput.h>

// Wanted strengths of the two motors on the nominal scale: 10000 is full.
// Signed, since the stick drives them; the sign does not reach the motors.
struct MotorPair {
    LONG left;
    LONG right;
};

// A strength below a quarter of full travel does not run its motor, so a
// stick resting near the centre stays silent.
constexpr LONG kMotorDeadZone = 2500;

struct EffectParameters {
    LONG direction[2];
    LONG magnitude;
};

// The dead zone, then the absolute values as the direction and the length
// of the pair, truncated, as the magnitude: full left alone gives 10000,
// both full 14142.
EffectParameters EffectParametersFor(MotorPair pair);

// Creates the effect on the device, silent until its parameters are set.
HRESULT CreateVibrationEffect(IDirectInputDevice2A* device, IDirectInputEffect** effect);

// Sets the effect's direction and magnitude for the pair and (re)starts it.
// The result is left to the caller: nothing on the page depends on it.
HRESULT DriveVibrationEffect(IDirectInputEffect* effect, MotorPair pair);

// Starts the effect once, no flags.
void StartVibrationEffect(IDirectInputEffect* effect);
