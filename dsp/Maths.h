#pragma once
// The elementary functions of the engine, the filter design, the decibel conversions and the
// framework's parameter gains, computed with IEEE additions, multiplications and divisions
// only. The C runtimes' own functions round their last bit differently from one runtime and
// one processor to the next (the Windows one computes with x87 instructions that Intel and AMD
// processors round apart), so a filter coefficient or a time constant could differ by a unit
// in the last place between two machines; these give the same bits everywhere.
//
// Each result lies within about one and a half units in the last place of the exact value
// (Tan within about two). Sin, Cos and Tan reduce their argument exactly for |x| below 2^20; beyond that the
// reduction loses accuracy with the size of x (the results stay the same on every machine).
namespace Dsp {

double Exp(double x);
double Log(double x);  // natural logarithm
double Sin(double x);
double Cos(double x);
double Tan(double x);
double Sinh(double x);
double Cosh(double x);

}  // namespace Dsp
