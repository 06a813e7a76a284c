#include "InputFields.h"

namespace sf {

const std::array<InputField, EditFieldCount> InputFields = {{
    {1, "Flow Rate (kg/hr)", "57.0"},
    {2, "Screen Diameter (cm)", "2.0"},
    {3, "Density (g/cm3)", "0.96"},
    {4, "Temperature (℃)", "290.0"},
    {5, "No. 1  Screen Mesh (1/in)", "30"},
    {6, "No. 1  Screen Wire Dia. (cm)", "0.02946"},
    {7, "No. 2  Screen Mesh (1/in)", "30"},
    {8, "No. 2  Screen Wire Dia. (cm)", "0.02743"},
    {9, "No. 3  Screen Mesh (1/in)", "30"},
    {10, "No. 3  Screen Wire Dia. (cm)", "0.02540"},
    {11, "No. 4  Screen Mesh (1/in)", "30"},
    {12, "No. 4  Screen Wire Dia. (cm)", "0.02337"},
    {13, "No. 5  Screen Mesh (1/in)", "50"},
    {14, "No. 5  Screen Wire Dia. (cm)", "0.02540"},
    {15, "No. 6  Screen Mesh (1/in)", "50"},
    {16, "No. 6  Screen Wire Dia. (cm)", "0.02337"},
    {17, "No. 7  Screen Mesh (1/in)", "50"},
    {18, "No. 7  Screen Wire Dia. (cm)", "0.02134"},
    {19, "No. 8  Screen Mesh (1/in)", "50"},
    {20, "No. 8  Screen Wire Dia. (cm)", "0.01930"},
    {21, "No. 9  Screen Mesh (1/in)", "50"},
    {22, "No. 9  Screen Wire Dia. (cm)", "0.01727"},
    {23, "No. 10 Screen Mesh (1/in)", "50"},
    {24, "No. 10 Screen Wire Dia. (cm)", "0.01524"},
    {25, "No. 11 Screen Mesh (1/in)", "200"},
    {26, "No. 11 Screen Wire Dia. (cm)", "0.00508"},
    {27, "No. 12 Screen Mesh (1/in)", "200"},
    {28, "No. 12 Screen Wire Dia. (cm)", "0.00406"},
    {29, "Number of  Screens", "12"},
    {30, "Standard Viscosity (gf.s/cm2)", "9.55"},
    {31, "Standard Shear Rate (1/sec)", "100.0"},
    {32, "Power Law Factor (-)", "0.469"},
    {33, "Shift Factor Parameter A (℃)", "15180.0"},
    {34, "Shift Factor Parameter B (-)", "26.96"},
    {35, "Save File Name", "result.txt"},
}};

} // namespace sf
