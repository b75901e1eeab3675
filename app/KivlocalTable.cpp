// The localisation table, sorted by id. NBSP marks a no-break space (before
// ":" and "!" where typography wants one); the lines of a message are
// separated by line feeds.
#include "app/KivlocalTable.h"

#include <algorithm>
#include <iterator>

#define SEP "\xC2\xA4"
#define NBSP "\xC2\xA0"

namespace {

constexpr LocalisationEntry kTable[] = {
    {17000, "languages" SEP "English" SEP "Français"},
    {17001, "_browse" SEP "&Browse" SEP "Parc&ourir"},
    {17002, "_cancel_esc" SEP "&Cancel (ESC)" SEP "&Annuler (Echap)"},
    {17003, "_language" SEP "&Language" NBSP ":" SEP "&Langue" NBSP ":"},
    {17004, "_options" SEP "&Options" SEP "&Options"},
    {17005, "_find_jpg_from" SEP "Find *.JPG from folder:" SEP "Rechercher *.JPG depuis le dossier" NBSP ":"},
    {17006, "_rename_files" SEP "Re&name files" SEP "Re&nommer les fichiers"},
    {17007, "_edit_exif_data" SEP "Edit E&XIF data" SEP "Données E&XIF"},
    {17008, "_recurse" SEP "&Recurse" SEP "&Recursif"},
    {17009, "_preview" SEP "&Preview" SEP "A&perçu"},
    {17010, "_image_description" SEP "&Image description:" SEP "&Description" NBSP ":"},
    {17011, "_user_comment" SEP "&User comment:" SEP "&Commentaire" NBSP ":"},
    {17012, "_artist" SEP "&Artist:" SEP "&Artiste" NBSP ":"},
    {17013, "_date" SEP "&Date:" SEP "&Date" NBSP ":"},
    {17014, "_change" SEP "&Change" SEP "&Modifier"},
    {17015, "_validate_and_edit_next" SEP "&Validate and edit next (Enter)" SEP "&Valider et passer au suivant (Entrée)"},
    {17016, "_remove_thumbnail" SEP "Remove &thumbnail" SEP "Supprimer la miniature"},
    {17017, "_file_col" SEP "File" SEP "Fichier"},
    {17018, "_image_description_col" SEP "Image Description" SEP "Description"},
    {17019, "_user_comment_col" SEP "User Comment" SEP "Commentaire"},
    {17020, "_date_time_col" SEP "Date Time" SEP "Date Heure"},
    {17021, "_artist_col" SEP "Artist" SEP "Artiste"},
    {17022, "_thumbnail_col" SEP "Th." SEP "Min."},
    {17024, "_if_renamed_col" SEP "If renamed" SEP "Si renommé"},
    {17025, "_done_col" SEP "Done" SEP "Fait"},
    {17026, "_apply" SEP "&Apply" SEP "&Appliquer"},
    {17027, "_live_preview_label" SEP "Preview 1st element:" SEP "Aperçu 1er élément :"},
    {17028, "_format_description_1" SEP "%Y = year (2004), %y = year (04), %M = month (%MM janvier %Mm jan), %D = day (%DD monday %Dd mon), %h = hour, %m = minute, %s = second" SEP "%Y = année (2004), %y = année (04), %M = mois (%MM January %Mm Jan), %D = jour (%DD lundi %Dd lun), %h = heure, %m = minutes, %s = secondes"},
    {17029, "_format_description_3" SEP "Each specifier can be followed by a number: for numbers = minimum digits count, leading 0 if necessary" SEP "Chaque élément peut être suivi d'une valeur" NBSP ": pour les numériques = nombre de chiffres minimum, avec ajout de 0 si nécessaire"},
    {17030, "_done" SEP "Done" SEP "Fait"},
    {17031, "_yes" SEP "Yes" SEP "Oui"},
    {17032, "_no" SEP "No" SEP "Non"},
    {17033, "_failed" SEP "Failed" SEP "Echec"},
    {17034, "_select_root_title" SEP "Select root folder for JPG files" SEP "Sélection du dossier racine pour les JPG"},
    {17035, "_can_not_apply_warn" SEP "Can not apply: some files in same folder will have the same name. Try to change format." SEP "Impossible d'appliquer" NBSP ": des fichiers du même dossier auront le même nom. Le format doit être modifié."},
    {17036, "_folder_does_not_exists" SEP "Folder '%s' does not exist!" SEP "Le dossier '%s' n'existe pas" NBSP "!"},
    {17037, "_loading_status" SEP "Loading %d%%..." SEP "Chargement %d%%..."},
    {17038, "_file_does_not_exist_must_refresh" SEP "File '%s' does not exist! Press the refresh button and try again." SEP "Le fichier '%s' n'existe pas! Utiliser le bouton 'rafraichir' et reessayer."},
    {17039, "_error_reading_exif_from_file" SEP "Error: EXIF information from '%s' could not be read." SEP "Erreur" NBSP ": impossible de lire les informations EXIF depuis '%s'"},
    {17040, "failed_to_write" SEP "Failed to write: " SEP "Impossible d'enregistrer" NBSP ": "},
    {17041, "_wrote" SEP " wrote." SEP " enregistré."},
    {17042, "_error_reading_image" SEP "Error reading image" SEP "Erreur à la lecture de l'image"},
    {17044, "_refresh_file_list_hint" SEP "Refresh file list" SEP "Rafraichir la liste des fichiers"},
    {17045, "_recurse_option_hint" SEP "Check this option to automatically include sub-folders in file list" SEP "Cocher cette option pour automatiquement inclure les sous-dossiers dans la liste des fichiers"},
    {17046, "_info_suggestions" SEP "Information, suggestions, write to Orvane:" SEP "Informations, suggestions, écrire à Orvane" NBSP ":"},
    {17047, "_default_value_image_description" SEP "Default value for Image Description field" SEP "Valeur par défaut pour le champ Description"},
    {17048, "_nothing" SEP "Nothing" SEP "Rien"},
    {17049, "_file_name" SEP "File name" SEP "Nom de fichier"},
    {17050, "_last_description" SEP "Last description" SEP "Dernière description entrée"},
    {17052, "_first_description" SEP "First description" SEP "Première description entrée"},
    {17053, "_focus_action" SEP "When an input field gets the focus" SEP "À l'arrivée dans un champ de saisie"},
    {17054, "_select_field" SEP "Select the whole field" SEP "Selectionner tout le texte"},
    {17055, "_cursor_at_end" SEP "Set cursor at the end" SEP "Mettre le curseur à la fin"},
    {17056, "_crusor_at_begin" SEP "Set cursor at the begining" SEP "Mettre le curseur au début"},
    {17057, "_format_description_2" SEP "%N = index (+ Y/M/D/h/m/s for reset), %I = image description, %U = user comment, %A = artist, %F = original file name, %P = folder, %PP = upper folder" SEP "%N = index (+ Y/M/D/h/m/s pour reset), %I = description, %U = commentaire, %A = artiste, %F = nom du fichier d'origine, %P = dossier, %PP = dossier supérieur"},
    {17058, "_replace_accentuated_letters" SEP "Replace accentuated letters" SEP "Remplacer les lettres accentuées"},
    {17059, "_format_description_4" SEP "For texts = maximum character count (ex. 'Lumitag' %U4 => 'Lumi'), or postion:length (ex. 'Lumitag' %U5:7 => 'tag') length optional" SEP "Pour les textes = nombre de caractères maximum (ex. 'Lumitag' %U4 => 'Lumi'), ou postion:longueur (ex. 'Lumitag' %U5:7 => 'tag') long. optionnelle"},
    {17060, "_long_months" SEP "January;February;March;April;May;June;July;August;September;October;November;December" SEP "janvier;février;mars;avril;mai;juin;juillet;août;septembre;octobre;novembre;décembre"},
    {17061, "_short_months" SEP "Jan;Feb;Mar;Apr;May;Jun;Jul;Aug;Sep;Oct;Nov;Dec" SEP "janv;févr;mars;avr;mai;juin;juil;août;sept;oct;nov;déc"},
    {17062, "_long_days" SEP "Sunday;Monday;Tuesday;Wednesday;Thursday;Friday;Saturday" SEP "dimanche;lundi;mardi;mercredi;jeudi;vendredi;samedi"},
    {17063, "_short_days" SEP "Sun;Mon;Tue;Wed;Thu;Fri;Sat" SEP "dim;lun;mar;mer;jeu;ven;sam"},
    {17064, "_see_in" SEP "See in " SEP "Voir dans "},
    {17065, "_failure" SEP "Failure" SEP "Échec"},
    {17066, "_add_shell_folder_submenu" SEP "Add 'See in Lumitag' in Windows context menu" SEP "Ajouter \"Voir dans Lumitag\" au menu contextuel de Windows"},
    {17067, "_replace_space_with_underscore" SEP "Replace spaces with underscore \"_\"" SEP "Remplacer les espaces par des soulignés \"_\""},
    {17068, "_image_editor" SEP "External image editor:" SEP "Éditeur d'image externe" NBSP ":"},
    {17069, "_image_editor_hint" SEP "Image editor to modify current picture with double-clic" SEP "Éditeur d'image pour modifier l'image en cours par double-clic"},
    {17070, "_other_options" SEP "Other options" SEP "Autres options"},
    {17071, "_failed_to_start_%s_on_picture_%s" SEP "Failed to launch application:\n%s\non picture:\n%s\nCheck external editor setting." SEP "Impossible de démarrer l'application" NBSP ":\n%s\nsur l'image" NBSP ":\n%s\nVerifier l'éditeur externe dans les options."},
    {17072, "_make_paypal_donation" SEP "Click here to make a donation with PayPal:" SEP "Cliquer ici pour faire un don avec PayPal" NBSP ":"},
    {17074, "_change_file_date" SEP "Change system file date using EXIF date" SEP "Modifier la date systeme des fichiers avec la date EXIF"},
    {17075, "_change_file_date_hint" SEP "System create/access/write date of files will be modified using EXIF date as soon as the validate button is used" SEP "Les dates de création/accès/écriture des fichiers seront modifiées à partir de la date EXIF dès que le bouton Valider sera utilisé"},
    {17076, "_index_start_at" SEP "%N index starts at:" SEP "Début index %N :"},
};

}  // namespace

std::string_view LocalisationString(int id)
{
    const auto* entry = std::lower_bound(std::begin(kTable), std::end(kTable), id,
                                         [](const LocalisationEntry& e, int wanted) { return e.id < wanted; });
    return entry != std::end(kTable) && entry->id == id ? std::string_view(entry->text) : std::string_view();
}
